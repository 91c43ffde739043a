#!/usr/bin/env python3
"""The coverage build's first and last tests.

  coverage_check.py reset BUILD_DIR
      removes the counters (.gcda files) of earlier runs, so that the report
      counts only this run of the tests.
  coverage_check.py report SOURCE_DIR BUILD_DIR UNREACHABLE_LIST
      reads the counters with gcovr, writes the per-file tables of line and
      branch coverage of src/ to BUILD_DIR/coverage/table.txt and prints them,
      and fails if a line of src/ that the build compiles was never run, or a
      branch of a line that ran was never taken, and is not in
      UNREACHABLE_LIST, or if an entry of that list no longer names exactly
      one such line, or for a branch entry, not its number of untaken branches.

UNREACHABLE_LIST names each line by its file and a fragment of its text, so
that edits elsewhere in the file cannot shift an entry onto another line; a
branch entry also says how many of the line's branches no test takes:

  src/some/file.cpp: a fragment of the line's text
      why no run of the POSIX build can reach it (indented lines)
  src/some/file.cpp [2 branches]: a fragment of the line's text
      why no run of the POSIX build takes those branches
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


# The part before ": ": the file, and for a branch entry the branch count.
ENTRY_HEAD = re.compile(r"(?P<file>[^\s\[]+)(?: \[(?P<branches>[1-9][0-9]*) branch(?:es)?\])?$")


def read_unreachable(path):
    """[(file, fragment, untaken branches or None for a line, reason)] in the list's order."""
    entries = []
    with open(path, encoding="utf-8") as handle:
        for number, line in enumerate(handle, 1):
            if not line.strip() or line.startswith("#"):
                continue
            if line[0].isspace():
                if not entries:
                    raise SystemExit("%s:%d: a reason before any entry" % (path, number))
                entries[-1][3].append(line.strip())
                continue
            head, separator, fragment = line.rstrip("\n").partition(": ")
            match = ENTRY_HEAD.match(head)
            if not separator or not fragment.strip() or not match:
                raise SystemExit("%s:%d: expected 'src/FILE: FRAGMENT' or 'src/FILE [N branches]: FRAGMENT'"
                                 % (path, number))
            branches = int(match["branches"]) if match["branches"] else None
            entries.append((match["file"], fragment.strip(), branches, []))
    for file, fragment, _, reason in entries:
        if not reason:
            raise SystemExit("%s: %s: '%s' gives no reason" % (path, file, fragment))
    return entries


def gcovr(source_dir, build_dir, *arguments):
    command = ["gcovr", "--root", source_dir, "--filter", re.escape(os.path.join(source_dir, "src") + os.sep),
               *BRANCH_OPTIONS, *arguments]
    return subprocess.run(command, cwd=build_dir, check=True, capture_output=True, text=True).stdout


def untested(report, source_dir):
    """({file: {line number: text}} of every line with code that never ran,
    {file: {line number: (text, untaken)}} of every line that ran with
    `untaken` of its branches never taken, and the totals of src/)."""
    unrun, untaken = {}, {}
    totals = {"lines": 0, "run": 0, "branches": 0, "taken": 0, "on unrun lines": 0}
    for entry in report["files"]:
        path = entry["file"]
        with open(os.path.join(source_dir, path), encoding="utf-8") as handle:
            text = handle.read().split("\n")
        for line in entry["lines"]:
            if line.get("gcovr/noncode", False):
                continue
            number = line["line_number"]
            counts = [branch["count"] for branch in line["branches"]]
            totals["lines"] += 1
            totals["branches"] += len(counts)
            totals["taken"] += len(counts) - counts.count(0)
            if line["count"] == 0:
                # A line that never ran answers for its branches too.
                unrun.setdefault(path, {})[number] = text[number - 1]
                totals["on unrun lines"] += len(counts)
            else:
                totals["run"] += 1
                if 0 in counts:
                    untaken.setdefault(path, {})[number] = (text[number - 1], counts.count(0))
    return unrun, untaken, totals


def plural(count, word):
    return "%d %s%s" % (count, word, "" if count == 1 else "es" if word.endswith("ch") else "s")


def match_entries(entries, unrun, untaken):
    """Strikes each entry's line off unrun or untaken; the problems, and the
    numbers of lines and branches listed."""
    problems, lines, branches = [], 0, 0
    for file, fragment, count, _ in entries:
        if count is None:
            matches = [number for number, text in unrun.get(file, {}).items() if fragment in text]
            if len(matches) != 1:
                problems.append("%s: '%s' is listed as unreachable but matches %d lines that never ran"
                                % (file, fragment, len(matches)))
                continue
            del unrun[file][matches[0]]
            lines += 1
            continue
        matches = [number for number, (text, _) in untaken.get(file, {}).items() if fragment in text]
        if len(matches) != 1:
            problems.append("%s: '%s' is listed with %s never taken but matches %d lines with branches never taken"
                            % (file, fragment, plural(count, "branch"), len(matches)))
            continue
        number = matches[0]
        actual = untaken[file].pop(number)[1]
        if actual != count:
            problems.append("%s:%d: %s never taken, listed as %d: %s"
                            % (file, number, plural(actual, "branch"), count, fragment))
            continue
        branches += count
    for file in sorted(unrun):
        for number, text in sorted(unrun[file].items()):
            problems.append("%s:%d: never ran and not listed as unreachable: %s" % (file, number, text.strip()))
    for file in sorted(untaken):
        for number, (text, actual) in sorted(untaken[file].items()):
            problems.append("%s:%d: %s never taken and not listed: %s"
                            % (file, number, plural(actual, "branch"), text.strip()))
    return problems, lines, branches


def report(source_dir, build_dir, unreachable_path):
    out_dir = os.path.join(build_dir, "coverage")
    os.makedirs(out_dir, exist_ok=True)
    data = os.path.join(out_dir, "coverage.json")
    # Only this build's counters: another build in the tree may hold older ones.
    gcovr(source_dir, build_dir, "-j", "2", "--json", data, build_dir)
    lines = gcovr(source_dir, build_dir, "--add-tracefile", data, "--txt")
    branches = gcovr(source_dir, build_dir, "--add-tracefile", data, "--txt", "--branches")
    with open(data, encoding="utf-8") as handle:
        unrun, untaken, totals = untested(json.load(handle), source_dir)

    problems, listed_lines, listed_branches = match_entries(read_unreachable(unreachable_path), unrun, untaken)
    verdict = ["lines of src/: %d, %d run, %d listed as unreachable" % (totals["lines"], totals["run"], listed_lines),
               "branches of src/: %d, %d taken, %d listed as never taken, %d on the unreachable lines"
               % (totals["branches"], totals["taken"], listed_branches, totals["on unrun lines"]),
               "(listed in %s)" % os.path.relpath(unreachable_path, source_dir)] + problems
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
