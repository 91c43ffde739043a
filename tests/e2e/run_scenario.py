#!/usr/bin/env python3
"""Runs one end-to-end scenario of the POSIX quillfen against the in-process
host stand-in and checks standard output, standard error, the exit value,
the catalog file afterwards and the host's trace.

A scenario is a folder:
  scenario.json       what to run and what to expect (see below)
  catalog.json        the catalog the host has active (copied before the run;
                      the checked-in file never changes)
  stdout.txt          expected standard output (absent: must be empty)
  stderr.txt          expected standard error (absent: must be empty)
  catalog.after.json  expected catalog afterwards, compared as JSON
                      (absent: the file must be left byte for byte unchanged)
  trace.txt           optional: the host trace of the last run, exactly

scenario.json keys:
  "args"          the arguments, with $CATALOG (the active catalog's path) and
                  $DIR (the run's folder) replaced; default ["$CATALOG"]
  "exit"          the run's HRESULT as hex text, e.g. "0x80004005"; default "0x0"
  "catalog_name"  file name of the catalog copy; default "catalog.json"
  "catalog_from"  the catalog to copy, relative to the scenario folder, when
                  it is not the scenario's own catalog.json
  "active"        false: no catalog is active (LUMORA_CATALOG empty)
  "runs"          how many times to run; every run must meet the expected exit
                  value and standard error, and the last one the expected output
  "no_put"        true: the last run's trace has no keyword put
  "host_untouched" true: no host operation is called at all
  "between_runs"  renames done in the catalog file between two runs, as a user
                  would in the host: [{"set": "<set id>", "name": "<new name>"}]
  "platforms"     the builds the scenario applies to; default both
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile


def expected_exit(hresult):
    """The POSIX exit value of a run's HRESULT: the low byte, or 1 for a
    failure whose low byte is 0."""
    value = hresult & 0xFFFFFFFF
    if value & 0x80000000 == 0:
        return 0
    return (value & 0xFF) or 1


def read_text(path):
    with open(path, encoding="utf-8") as handle:
        return handle.read()


def substitute(text, names):
    for key in sorted(names, key=len, reverse=True):
        text = text.replace(key, names[key])
    return text


def rename_sets(catalog, renames):
    if not renames:
        return
    with open(catalog, encoding="utf-8") as handle:
        content = json.load(handle)
    for rename in renames:
        for entry in content["sets"]:
            if str(entry.get("id", entry["index"])) == rename["set"]:
                entry["name"] = rename["name"]
    with open(catalog, "w", encoding="utf-8") as handle:
        json.dump(content, handle, indent=2, ensure_ascii=False)


def main():
    if len(sys.argv) != 3:
        print("usage: run_scenario.py QUILLFEN SCENARIO_DIR", file=sys.stderr)
        return 2
    binary, scenario_dir = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    with open(os.path.join(scenario_dir, "scenario.json"), encoding="utf-8") as handle:
        scenario = json.load(handle)
    if "posix" not in scenario.get("platforms", ["posix", "windows"]):
        print("skipped: not a POSIX scenario")
        return 0

    failures = []
    work = tempfile.mkdtemp(prefix="quillfen-e2e-")
    try:
        catalog = os.path.join(work, scenario.get("catalog_name", "catalog.json"))
        source = os.path.join(scenario_dir, scenario.get("catalog_from", "catalog.json"))
        if os.path.exists(source):
            shutil.copyfile(source, catalog)
        names = {"$CATALOG": catalog, "$DIR": work}
        args = [substitute(a, names) for a in scenario.get("args", ["$CATALOG"])]
        trace = os.path.join(work, "trace.txt")
        env = dict(os.environ)
        env["LUMORA_CATALOG"] = catalog if scenario.get("active", True) else ""
        env["LUMORA_TRACE"] = trace

        def expected_file(name):
            path = os.path.join(scenario_dir, name)
            return substitute(read_text(path), names) if os.path.exists(path) else ""

        want_out, want_err = expected_file("stdout.txt"), expected_file("stderr.txt")
        want_exit = expected_exit(int(scenario.get("exit", "0x0"), 16))
        before = open(catalog, "rb").read() if os.path.exists(catalog) else None

        runs = int(scenario.get("runs", 1))
        for run in range(1, runs + 1):
            if run > 1:
                rename_sets(catalog, scenario.get("between_runs", []))
            if os.path.exists(trace):
                os.remove(trace)
            result = subprocess.run([binary] + args, env=env, capture_output=True, timeout=120)
            out = result.stdout.decode("utf-8", errors="replace")
            err = result.stderr.decode("utf-8", errors="replace")
            if run == runs and out != want_out:
                failures.append(f"run {run}: standard output differs\n--- expected\n{want_out}--- got\n{out}")
            if err != want_err:
                failures.append(f"run {run}: standard error differs\n--- expected\n{want_err}--- got\n{err}")
            if result.returncode != want_exit:
                failures.append(f"run {run}: exit value {result.returncode}, expected {want_exit}")

        trace_lines = read_text(trace).splitlines() if os.path.exists(trace) else []
        if trace_lines and trace_lines[-1] != "references held by clients: 0":
            failures.append(f"trace does not end with all references released: {trace_lines[-1]!r}")
        calls = [line for line in trace_lines if not line.startswith("references held by clients:")]
        if scenario.get("host_untouched") and calls:
            failures.append(f"the host was called: {calls[0]!r}")
        if scenario.get("no_put") and any(line.endswith("(put)") for line in trace_lines):
            failures.append("the last run wrote a keyword list")
        want_trace = os.path.join(scenario_dir, "trace.txt")
        if os.path.exists(want_trace) and trace_lines != read_text(want_trace).splitlines():
            failures.append("trace differs\n--- expected\n" + read_text(want_trace) + "--- got\n" +
                            "\n".join(trace_lines))

        after_path = os.path.join(scenario_dir, "catalog.after.json")
        if before is not None:
            after = open(catalog, "rb").read()
            if os.path.exists(after_path):
                want = json.loads(read_text(after_path))
                got = json.loads(after.decode("utf-8"))
                if got != want:
                    failures.append("catalog afterwards differs\n--- expected\n" +
                                    json.dumps(want, indent=2, ensure_ascii=False) + "\n--- got\n" +
                                    json.dumps(got, indent=2, ensure_ascii=False))
            elif after != before:
                failures.append("the catalog changed although no change was expected")
    finally:
        shutil.rmtree(work, ignore_errors=True)

    for failure in failures:
        print(failure)
    print("ok" if not failures else f"{len(failures)} check(s) failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
