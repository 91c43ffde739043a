#!/usr/bin/env python3
"""A hierarchy 10,000 levels deep, every set but the deepest skipped, must
load, print, get its keywords and be destroyed without exhausting the stack.

  deep_hierarchy.py QUILLFEN MAKE_CATALOG [DEPTH]
"""
import os
import subprocess
import sys
import tempfile
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "sweep"))
from host_operations import NAME  # noqa: E402


def main():
    binary, generator = sys.argv[1], sys.argv[2]
    depth = int(sys.argv[3]) if len(sys.argv) > 3 else 10000
    with tempfile.TemporaryDirectory(prefix="quillfen-deep-") as work:
        catalog = os.path.join(work, "deep.json")
        trace = os.path.join(work, "trace.txt")
        subprocess.run([sys.executable, generator, catalog, "--depth", str(depth), "--items", "0",
                        "--skip-ancestors"], check=True)
        env = dict(os.environ, LUMORA_CATALOG=catalog, LUMORA_TRACE=trace)
        result = subprocess.run([binary, catalog], env=env, capture_output=True, timeout=600)
        lines = result.stdout.decode("utf-8").splitlines()
        failures = []
        if result.returncode != 0:
            failures.append(f"exit value {result.returncode}: {result.stderr.decode('utf-8', 'replace')}")
        if lines[6:7] != ["Media Set Root Entries: 1"]:
            failures.append(f"root entries line: {lines[6:7]}")
        if len(lines) != 7 + 5 * depth:
            failures.append(f"{len(lines)} report lines, expected {7 + 5 * depth}")
        if lines and lines[-5:] != [f"Media Set Index: {depth}", f"Media Set Name: S{depth}",
                                    f"Media Set Level: {depth}", f"Media Set Parent: {depth - 1}",
                                    "Media Set Children: 0"]:
            failures.append(f"deepest block: {lines[-5:]}")
        with open(trace, encoding="utf-8") as handle:
            calls = handle.read().splitlines()
        if calls[-1] != "references held by clients: 0":
            failures.append(f"trace ends with {calls[-1]!r}")
        climbs = sum(1 for line in calls if line.endswith(NAME.kSetParent))
        if climbs != depth:
            failures.append(f"{climbs} parent calls: the load should climb the one chain once")
        for failure in failures:
            print(failure)
        print("ok" if not failures else "failed")
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
