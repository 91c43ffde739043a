"""The Windows build under Wine, in one session of its own: what each kind of
cross-process host call costs (host-call-timing.exe against a hand-started
lumora-host.exe), Quillfen.exe's start-up alone, and whole runs, each set
against its floor: the sum, over the calls its host trace lists, of what a
call of that kind costs."""
import json
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "wine"))
# Behind bench/ and tests/wine/: the sweeps have a posix_runs of their own.
sys.path.append(os.path.join(os.path.dirname(HERE), "tests", "sweep"))

import posix_runs  # noqa: E402
from host_operations import NAME, RESULT  # noqa: E402
from wine_session import WineSession, windows_path  # noqa: E402

ROUNDS = 5
CALLS_PER_KIND = 500
# Sets of 10 items: about 200 and about 2,000 host calls.
RUN_SIZES = (3, 29)

# What host-call-timing.exe times, in the order of the table.
KINDS = ("bare", "scalar", "string", "keywords", "object", "null-object", "put")
KIND_TITLES = {
    "bare": "bare call",
    "scalar": "a number back",
    "string": "a string back",
    "keywords": "a keyword list back",
    "object": "a new object back, and its proxy released",
    "null-object": "an object call that gives null",
    "put": "a keyword list sent",
}

# The kind of every operation the trace names, from what it gives back; a
# keyword list is a string of its own kind. Parent and MediaItems give null
# where the catalog says so, and then no proxy is made or released.
RESULT_KINDS = {"String": "string", "Object": "object", "Scalar": "scalar", "Nothing": "put"}
OPERATION_KINDS = dict({name: RESULT_KINDS[result] for name, result in RESULT.items()},
                       **{NAME.kKeywordsGet: "keywords"})


def _timed(session, exe, args, env, cwd):
    started = time.monotonic()
    out, err, value = session.run(exe, args, env, cwd=cwd, timeout=600)
    if value != 0 and (args or not exe.endswith("Quillfen.exe")):
        raise SystemExit(f"{os.path.basename(exe)} failed under Wine with 0x{value:08X}: "
                         f"{err.decode('utf-8', 'replace')}")
    return time.monotonic() - started, out


def _kind_costs(session, work):
    """Milliseconds per call of each kind, and of the release of a new
    object's proxy, from one run of host-call-timing.exe."""
    catalog = posix_runs.sets_catalog(work, 2, 1)
    host = session.start_host(windows_path(catalog), os.path.join(work, "host-stderr.txt"))
    try:
        _, out = _timed(session, session.exe("host-call-timing.exe"), [str(CALLS_PER_KIND), *KINDS], None, work)
    finally:
        session.stop_host(host)
    costs = {}
    # "<kind> <operation>: <n> calls, call <us> us[, release <us> us]"
    for line in out.decode("utf-8", "replace").splitlines():
        kind, _, rest = line.partition(" ")
        if kind not in KINDS:
            continue
        operation, _, figures = rest.partition(": ")
        fields = dict(part.split()[:2] for part in figures.split(", ")[1:])
        costs[kind] = (operation, float(fields["call"]) / 1e3, float(fields.get("release", 0)) / 1e3)
    if set(costs) != set(KINDS):
        raise SystemExit(f"host-call-timing.exe said {out!r}")
    return costs


def _null_results(catalog):
    """The labels of the objects whose Parent or MediaItems gives null."""
    with open(catalog, encoding="utf-8") as handle:
        sets = json.load(handle).get("sets", [])
    null_parent, null_items = set(), set()
    for entry in sets:
        label = "set:" + str(entry.get("id", entry["index"]))
        if entry.get("parent") is None:
            null_parent.add(label)
        if "items" in entry and entry["items"] is None:
            null_items.add(label)
    return null_parent, null_items


def trace_kinds(trace, catalog):
    """How many calls of each kind a run's host trace lists."""
    null_parent, null_items = _null_results(catalog)
    counts = dict.fromkeys(KINDS, 0)
    with open(trace, encoding="utf-8", errors="replace") as handle:
        for line in handle:
            if line.startswith("references held by clients:"):
                continue
            label, _, operation = line.strip().partition(" ")
            name = operation.split("(")[0] if not operation.endswith("(put)") else operation
            kind = OPERATION_KINDS.get(name)
            if kind is None:
                raise SystemExit(f"the trace names an operation of no known kind: {line!r}")
            if (name == NAME.kSetParent and label in null_parent) or \
                    (name == NAME.kSetMediaItems and label in null_items):
                kind = "null-object"
            counts[kind] += 1
    return counts


def _whole_run(session, work, pristine):
    """One run of Quillfen.exe over a fresh copy of `pristine`: its time and
    the calls of each kind its host trace lists."""
    catalog, trace = os.path.join(work, "wine-run.json"), os.path.join(work, "wine-trace.txt")
    with open(pristine, "rb") as source, open(catalog, "wb") as target:
        target.write(source.read())
    if os.path.exists(trace):
        os.remove(trace)
    env = {"LUMORA_TRACE": windows_path(trace)}
    host = session.start_host(windows_path(catalog), os.path.join(work, "host-stderr.txt"), env)
    try:
        took, _ = _timed(session, session.exe("Quillfen.exe"), [windows_path(catalog)], env, work)
    finally:
        session.stop_host(host)
    return took, trace_kinds(trace, pristine)


def _floor(counts, costs):
    """Seconds: each call of the run at the cost of its kind."""
    return sum(count * (costs[kind][1] + costs[kind][2]) for kind, count in counts.items()) / 1e3


def table(windows_build, work):
    """The kinds are timed afresh before each round of whole runs. On a shared
    machine every figure follows the load (an object call's by a factor of two
    or more within minutes), and the load only ever adds: so the table gives
    the fastest of the rounds, kind by kind and run by run, and beside the
    ratio of the fastest run to the floor of the fastest costs the range of
    each round's run against its own round's floor."""
    session = WineSession(windows_build, os.path.join(windows_build, "wine-bench", "prefix"))
    catalogs = {sets: posix_runs.sets_catalog(work, sets, 10) for sets in RUN_SIZES}
    rounds = []  # (costs, {sets: (seconds, counts)})
    try:
        session.create(fresh=False)
        session.register()
        startup = min(_timed(session, session.exe("Quillfen.exe"), [], None, work)[0] for _ in range(ROUNDS))
        for _ in range(ROUNDS):
            costs = _kind_costs(session, work)
            rounds.append((costs, {sets: _whole_run(session, work, catalogs[sets]) for sets in RUN_SIZES}))
    finally:
        session.stop()

    fastest = {kind: (rounds[0][0][kind][0], min(costs[kind][1] for costs, _ in rounds),
                      min(costs[kind][2] for costs, _ in rounds)) for kind in KINDS}
    bare = fastest["bare"][1]
    lines = ["| kind of call | timed as | call | release of its proxy | cost | ÷ bare call |",
             "|---|---|---:|---:|---:|---:|"]
    for kind in KINDS:
        operation, call, release = fastest[kind]
        lines.append(f"| {KIND_TITLES[kind]} | `{operation}` | {call:.2f} ms | "
                     f"{f'{release:.2f} ms' if kind == 'object' else ''} | {call + release:.2f} ms | "
                     f"{(call + release) / bare:.1f} |")
    lines += ["",
              f"The fastest of {ROUNDS} rounds; in a round each kind is timed over {CALLS_PER_KIND:,} calls (the "
              f"median of five turns of {CALLS_PER_KIND // 5:,}, the kinds taking turns). Quillfen.exe start-up "
              f"alone (no argument): {startup * 1e3:.0f} ms.",
              "",
              "| sets (10 items) | host calls | of which new objects | fastest run | per-kind floor | "
              "run ÷ floor | (run − start-up) ÷ floor | each round's run ÷ its floor | run ÷ (calls × bare call) |",
              "|---:|---:|---:|---:|---:|---:|---:|---:|---:|"]
    for sets in RUN_SIZES:
        counts = rounds[0][1][sets][1]
        if any(runs[sets][1] != counts for _, runs in rounds):
            raise SystemExit(f"the runs over {sets} sets made different host calls in different rounds")
        calls = sum(counts.values())
        run = min(runs[sets][0] for _, runs in rounds)
        floor = _floor(counts, fastest)
        each = [runs[sets][0] / _floor(runs[sets][1], costs) for costs, runs in rounds]
        lines.append(f"| {sets} | {calls:,} | {counts['object']:,} | {run:.2f} s | {floor:.2f} s | "
                     f"{run / floor:.2f} | {(run - startup) / floor:.2f} | {min(each):.2f} to {max(each):.2f} | "
                     f"{run / (calls * bare / 1e3):.1f} |")
    lines += ["",
              "The floor adds up, over the calls of the run's host trace, the cost of each call's kind (a Parent "
              "of a top-level set is an object call that gives null); a run's calls are the same in every round."]
    return lines
