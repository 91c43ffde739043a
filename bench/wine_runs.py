"""The Windows build under Wine, in one session of its own: the bare
cross-process call (host-call-timing.exe, the application's Name read over
and over), Quillfen.exe's start-up alone, and whole runs against a
hand-started lumora-host.exe, each set beside calls x bare call."""
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "wine"))

import posix_runs  # noqa: E402
from wine_session import WineSession, windows_path  # noqa: E402

RUNS = 3
BARE_CALLS = 2000
# Sets of 10 items: about 200 and about 2,000 host calls.
RUN_SIZES = (3, 29)


def _timed(session, exe, args, env, cwd):
    started = time.monotonic()
    out, err, value = session.run(exe, args, env, cwd=cwd, timeout=600)
    if exe.endswith("Quillfen.exe") and args and value != 0:
        raise SystemExit(f"Quillfen.exe failed under Wine with 0x{value:08X}: {err.decode('utf-8', 'replace')}")
    return time.monotonic() - started, out


def _bare_call_ms(session, work, catalog):
    host = session.start_host(windows_path(catalog), os.path.join(work, "host-stderr.txt"))
    try:
        _, out = _timed(session, session.exe("host-call-timing.exe"), [str(BARE_CALLS)], None, work)
    finally:
        session.stop_host(host)
    # "N calls: T ms, U us per call"
    for line in out.decode("utf-8", "replace").splitlines():
        if "per call" in line:
            return float(line.split(",")[1].split()[0]) / 1000
    raise SystemExit(f"host-call-timing.exe said {out!r}")


def _whole_run(session, work, sets):
    pristine = posix_runs.sets_catalog(work, sets, 10)
    catalog, trace = os.path.join(work, "wine-run.json"), os.path.join(work, "wine-trace.txt")
    times, calls = [], 0
    for _ in range(RUNS):
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
        times.append(took)
        with open(trace, encoding="utf-8", errors="replace") as handle:
            calls = sum(1 for line in handle if not line.startswith("references held by clients:"))
    return calls, statistics.median(times)


def table(windows_build, work):
    session = WineSession(windows_build, os.path.join(windows_build, "wine-bench", "prefix"))
    try:
        session.create(fresh=False)
        session.register()
        startup = statistics.median(_timed(session, session.exe("Quillfen.exe"), [], None, work)[0]
                                    for _ in range(RUNS))
        bare = _bare_call_ms(session, work, posix_runs.sets_catalog(work, 1, 1))
        runs = [(sets, *_whole_run(session, work, sets)) for sets in RUN_SIZES]
    finally:
        session.stop()
    lines = [f"Bare cross-process call (application Name, {BARE_CALLS:,} calls): {bare:.2f} ms. "
             f"Quillfen.exe start-up alone (no argument): {startup * 1e3:.0f} ms. Median of {RUNS} runs each.",
             "",
             "| sets (10 items) | host calls | whole run | run ÷ (calls × bare call) | "
             "(run − start-up) ÷ (calls × bare call) |",
             "|---:|---:|---:|---:|---:|"]
    for sets, calls, seconds in runs:
        floor = calls * bare / 1e3
        lines.append(f"| {sets} | {calls:,} | {seconds:.2f} s | {seconds / floor:.1f} | "
                     f"{(seconds - startup) / floor:.1f} |")
    return lines
