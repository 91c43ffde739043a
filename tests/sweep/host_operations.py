"""The host's operations, from the stand-in's one list of them
(hostsim/model/host_operations.def): NAME.kSetParent is an operation's name as
the trace and a catalog's faults write it, RESULT gives what each operation
gives back, and NULLABLE holds those a host may give as null."""
import os
import re

LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "hostsim", "model",
                    "host_operations.def")
ENTRY = re.compile(r'QF_HOST_OPERATION\((\w+), "([^"]+)", (String|Object|Scalar|Nothing)\)')

with open(LIST, encoding="utf-8") as handle:
    _ENTRIES = [ENTRY.fullmatch(line.strip()) for line in handle if line.strip() and not line.startswith("//")]
if not all(_ENTRIES):  # an error, not an operation that the sweeps silently leave out
    raise ValueError(f"{LIST}: an entry out of its form")
NAME = type("HostOperation", (), {entry[1]: entry[2] for entry in _ENTRIES})
RESULT = {entry[2]: entry[3] for entry in _ENTRIES}
NULLABLE = {name for name, result in RESULT.items() if result in ("String", "Object")}  # a string or an object
