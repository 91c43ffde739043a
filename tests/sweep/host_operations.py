"""The host's operations as the stand-in declares them, read from its one list
(hostsim/model/host_operations.def): each one's name as the trace and a
catalog's faults write it, and what it gives back.

  OPERATIONS         every operation by name, in the list's order
  NAME.kSetParent    an operation's name by its constant in the list
"""
import os
import re
from types import SimpleNamespace
from typing import NamedTuple

LIST = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))),
                    "hostsim", "model", "host_operations.def")
ENTRY = re.compile(r'QF_HOST_OPERATION\((\w+), "([^"]+)", (String|Object|Scalar|Nothing)\)')


class Operation(NamedTuple):
    constant: str
    name: str
    result: str  # String, Object, Scalar or Nothing

    @property
    def nullable(self):
        """A string or an object, which a host may give as null."""
        return self.result in ("String", "Object")


def read(path=LIST):
    """Every entry of the list; one that is out of its form is an error, not
    an operation that the sweeps silently leave out."""
    operations = []
    with open(path, encoding="utf-8") as handle:
        for number, line in enumerate(handle, 1):
            text = line.strip()
            if not text or text.startswith("//"):
                continue
            entry = ENTRY.fullmatch(text)
            if not entry:
                raise ValueError(f"{path}:{number}: an entry out of its form: {text}")
            operations.append(Operation(*entry.groups()))
    return operations


OPERATIONS = {operation.name: operation for operation in read()}
NAME = SimpleNamespace(**{operation.constant: operation.name for operation in OPERATIONS.values()})
