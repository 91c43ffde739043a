#!/usr/bin/env python3
"""The POSIX process in the states a parent can leave it in: file names that
are not UTF-8, standard streams closed, a reader that has gone away. Each case
runs the real quillfen against the in-process host on a fresh catalog and
checks the exit value, the message, the catalog and the host's trace.

  posix_process.py QUILLFEN
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

CATALOG = {
    "sets": [{"index": 3, "name": "A", "items": [1]}],
    "items": [{"id": 1, "keywords": "beach"}],
}
WRITTEN = "beach;{Root}{A}"
MISMATCH = "Active catalog does not match requested catalog\n"


def closed_reader():
    read_end, write_end = os.pipe()
    os.close(read_end)
    return write_end


# name, the active catalog's file name, the argument's file name, descriptors
# to close in the child, where standard output and error go, and what must follow.
CASES = [
    ("non-UTF-8 name matches itself", b"caf\xe9.json", b"caf\xe9.json", (), None, None, 0, "", WRITTEN),
    ("non-UTF-8 names that differ", b"caf\xe9.json", b"caf\xe8.json", (), None, None, 5, MISMATCH, "beach"),
    ("standard output closed", b"photos.json", b"photos.json", (1,), None, None, 0, "", WRITTEN),
    ("all three standard streams closed", b"photos.json", b"photos.json", (0, 1, 2), None, None, 0, None, WRITTEN),
    ("report reader gone away", b"photos.json", b"photos.json", (), "closed", None, 0, "", WRITTEN),
    ("message reader gone away", b"photos.json", b"other.json", (), None, "closed", 5, None, "beach"),
]


def run_case(binary, work, case):
    name, active, argument, close, out, err, exit_value, message, keywords = case
    folder = os.path.join(work, name.replace(" ", "_")).encode()
    os.makedirs(folder)
    for file_name in {active, argument}:
        with open(os.path.join(folder, file_name), "w", encoding="utf-8") as handle:
            json.dump(CATALOG, handle)
    catalog, trace = os.path.join(folder, active), os.path.join(folder, b"trace.txt")
    env = dict(os.environb)
    env.update({b"LUMORA_CATALOG": catalog, b"LUMORA_TRACE": trace})
    stdout = closed_reader() if out == "closed" else subprocess.PIPE
    stderr = closed_reader() if err == "closed" else subprocess.PIPE

    def close_descriptors():
        for fd in close:
            os.close(fd)

    result = subprocess.run([binary.encode(), os.path.join(folder, argument)], env=env, stdout=stdout, stderr=stderr,
                            preexec_fn=close_descriptors, timeout=60)
    for handle in (stdout, stderr):
        if isinstance(handle, int) and handle >= 0:
            os.close(handle)
    failures = []
    if result.returncode != exit_value:
        failures.append("exit value %s, expected %s" % (result.returncode, exit_value))
    if message is not None and (result.stderr or b"").decode("utf-8", "replace") != message:
        failures.append("standard error %r, expected %r" % (result.stderr, message))
    with open(catalog, encoding="utf-8") as handle:
        got = json.load(handle)["items"][0].get("keywords")
    if got != keywords:
        failures.append("keyword list %r, expected %r" % (got, keywords))
    lines = open(trace, "rb").read().splitlines() if os.path.exists(trace) else []
    if not lines or lines[-1] != b"references held by clients: 0" or any(not b" " in l for l in lines):
        failures.append("the host's trace holds something else than calls: %r" % lines[-3:])
    if any(line.startswith(b"Application Name") for line in lines):
        failures.append("the report was written into the host's trace")
    if active == argument and not close and out is None:
        shown = b"Catalog Path: " + catalog + b"\n"
        if shown not in result.stdout:
            failures.append("the report does not show the catalog's path as its bytes: %r" % result.stdout)
    return ["%s: %s" % (name, failure) for failure in failures]


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    work = tempfile.mkdtemp(prefix="quillfen-process-")
    failures = []
    try:
        for case in CASES:
            failures += run_case(os.path.abspath(sys.argv[1]), work, case)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print(failure)
    print("ok" if not failures else "%d check(s) failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
