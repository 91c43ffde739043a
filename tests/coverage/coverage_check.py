#!/usr/bin/env python3
"""The coverage build's first and last tests.

  coverage_check.py reset BUILD_DIR
      removes the counters (.gcda files) of earlier runs, so that the report
      counts only this run of the tests.
  coverage_check.py report SOURCE_DIR BUILD_DIR UNREACHABLE_LIST
      reads the counters with gcovr, writes the per-file tables of line and
      branch coverage of src/ to BUILD_DIR/coverage/table.txt and prints them,
      and fails if a line of src/ that the build compiles was never run and is
      not in UNREACHABLE_LIST, or if an entry of that list no longer names
      exactly one line that was never run.

UNREACHABLE_LIST names each line by its file and a fragment of its text, so
that edits elsewhere in the file cannot shift an entry onto another line:

  src/some/file.cpp: a fragment of the line's text
      why no run of the POSIX build can reach it (indented lines)
"""
import json
import os
import re
import subprocess
import sys

# Branches of exception handling and of lines without code of their own
# (closing braces, the compiler's clean-ups) say nothing about the tests.
BRANCH_OPTIONS = ["--exclude-throw-branches", "--exclude-unreachable-branches"]


def reset(build_dir):
    removed = 0
    for folder, _, files in os.walk(build_dir):
        for name in files:
            if name.endswith(".gcda"):
                os.remove(os.path.join(folder, name))
                removed += 1
    print("removed %d counter files" % removed)
    return 0


def read_unreachable(path):
    """[(file, fragment, reason)] in the list's order."""
    entries = []
    with open(path, encoding="utf-8") as handle:
        for number, line in enumerate(handle, 1):
            if not line.strip() or line.startswith("#"):
                continue
            if line[0].isspace():
                if not entries:
                    raise SystemExit("%s:%d: a reason before any entry" % (path, number))
                entries[-1][2].append(line.strip())
                continue
            file, separator, fragment = line.rstrip("\n").partition(": ")
            if not separator or not fragment.strip():
                raise SystemExit("%s:%d: expected 'src/FILE: FRAGMENT'" % (path, number))
            entries.append((file, fragment.strip(), []))
    for file, fragment, reason in entries:
        if not reason:
            raise SystemExit("%s: %s: '%s' gives no reason" % (path, file, fragment))
    return entries


def gcovr(source_dir, build_dir, *arguments):
    command = ["gcovr", "--root", source_dir, "--filter", re.escape(os.path.join(source_dir, "src") + os.sep),
               *BRANCH_OPTIONS, *arguments]
    return subprocess.run(command, cwd=build_dir, check=True, capture_output=True, text=True).stdout


def unrun_lines(report, source_dir):
    """{file: {line number: text}} of every line with code that never ran."""
    unrun = {}
    for entry in report["files"]:
        path = entry["file"]
        with open(os.path.join(source_dir, path), encoding="utf-8") as handle:
            text = handle.read().split("\n")
        for line in entry["lines"]:
            if line["count"] == 0 and not line.get("gcovr/noncode", False):
                number = line["line_number"]
                unrun.setdefault(path, {})[number] = text[number - 1]
    return unrun


def report(source_dir, build_dir, unreachable_path):
    out_dir = os.path.join(build_dir, "coverage")
    os.makedirs(out_dir, exist_ok=True)
    data = os.path.join(out_dir, "coverage.json")
    gcovr(source_dir, build_dir, "-j", "2", "--json", data)
    lines = gcovr(source_dir, build_dir, "--add-tracefile", data, "--txt")
    branches = gcovr(source_dir, build_dir, "--add-tracefile", data, "--txt", "--branches")
    with open(data, encoding="utf-8") as handle:
        unrun = unrun_lines(json.load(handle), source_dir)

    problems, listed = [], 0
    for file, fragment, _ in read_unreachable(unreachable_path):
        matches = [number for number, text in unrun.get(file, {}).items() if fragment in text]
        if len(matches) != 1:
            problems.append("%s: '%s' is listed as unreachable but matches %d lines that never ran"
                            % (file, fragment, len(matches)))
            continue
        del unrun[file][matches[0]]
        listed += 1
    for file in sorted(unrun):
        for number, text in sorted(unrun[file].items()):
            problems.append("%s:%d: never ran and not listed as unreachable: %s" % (file, number, text.strip()))

    verdict = ["%d lines never ran, each listed as unreachable in %s"
               % (listed, os.path.relpath(unreachable_path, source_dir))] + problems
    table = "%s\n%s\n%s\n" % (lines.rstrip(), branches.rstrip(), "\n".join(verdict))
    with open(os.path.join(out_dir, "table.txt"), "w", encoding="utf-8") as handle:
        handle.write(table)
    print(table, end="")
    return 1 if problems else 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "reset":
        return reset(sys.argv[2])
    if len(sys.argv) == 5 and sys.argv[1] == "report":
        return report(*(os.path.abspath(argument) for argument in sys.argv[2:]))
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
