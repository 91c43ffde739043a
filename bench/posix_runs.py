"""Runs of the POSIX build with the host stand-in in process, measured from
outside: host calls (the trace's lines), wall time and peak RSS
(/usr/bin/time), on generated catalogs."""
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "make_catalog.py")
TIME = "/usr/bin/time"


class Run:
    def __init__(self, calls, seconds, peak_kib, changed):
        self.calls, self.seconds, self.peak_kib, self.changed = calls, seconds, peak_kib, changed


def make_catalog(path, *options):
    subprocess.run([sys.executable, GENERATOR, path] + [str(option) for option in options], check=True)


def sets_catalog(work, sets, items):
    """`sets` top-level sets with `items` media items each."""
    path = os.path.join(work, f"sets-{sets}.json")
    make_catalog(path, "--roots", sets, "--items", items)
    return path


def chain_catalog(work, depth):
    """One chain `depth` sets deep, none skipped, no items."""
    path = os.path.join(work, f"chain-{depth}.json")
    make_catalog(path, "--depth", depth)
    return path


def run(quillfen, catalog, trace=True):
    """One run over `catalog` as it is now (a second run sees what the first
    left). With trace off, the stand-in writes no trace lines and the time is
    the run a user gets; calls are then not counted."""
    work = os.path.dirname(catalog)
    trace_path = os.path.join(work, "trace.txt")
    timing_path = os.path.join(work, "time.txt")
    if os.path.exists(trace_path):
        os.remove(trace_path)
    env = dict(os.environ, LUMORA_CATALOG=catalog, LUMORA_TRACE=trace_path if trace else "")
    before = os.stat(catalog).st_mtime_ns
    started = time.monotonic()
    result = subprocess.run([TIME, "-f", "%M", "-o", timing_path, quillfen, catalog], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    seconds = time.monotonic() - started
    if result.returncode != 0:
        raise SystemExit(f"quillfen failed on {catalog} with {result.returncode}: "
                         f"{result.stderr.decode('utf-8', 'replace').strip()}")
    with open(timing_path, encoding="ascii") as handle:
        peak = handle.read().split()[-1]
    calls = None
    if trace:
        with open(trace_path, encoding="utf-8", errors="replace") as handle:
            lines = handle.read().splitlines()
        if lines[-1] != "references held by clients: 0":
            raise SystemExit(f"the run over {catalog} ended with {lines[-1]!r}")
        calls = len(lines) - 1
    return Run(calls, seconds, int(peak), os.stat(catalog).st_mtime_ns != before)


class Meter:
    """What quillfen_meter books to Quillfen and to the stand-in."""

    def __init__(self, line):
        fields = line.split()
        self.quillfen_peak, self.host_peak = int(fields[0]), int(fields[1])
        self.quillfen_samples, self.host_samples = int(fields[2]), int(fields[3])
        self.cpu_seconds = float(fields[4])

    def quillfen_cpu_seconds(self):
        samples = self.quillfen_samples + self.host_samples
        return self.cpu_seconds * self.quillfen_samples / samples if samples else 0.0


def meter(quillfen_meter, catalog):
    """One untraced first run of quillfen_meter over `catalog`."""
    report = os.path.join(os.path.dirname(catalog), "meter.txt")
    env = dict(os.environ, LUMORA_CATALOG=catalog, LUMORA_TRACE="", QF_METER_REPORT=report)
    result = subprocess.run([quillfen_meter, catalog], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise SystemExit(f"quillfen_meter failed on {catalog} with {result.returncode}: "
                         f"{result.stderr.decode('utf-8', 'replace').strip()}")
    with open(report, encoding="ascii") as handle:
        return Meter(handle.read())


def have_time():
    return shutil.which(TIME) is not None
