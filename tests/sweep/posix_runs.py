"""Runs the POSIX quillfen (or its allocation-failure build) against the
in-process host stand-in on a private copy of a catalog, as the sweeps need."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

from sweep_oracle import RunResult

TIMEOUT = 60


def posix_exit(hresult):
    """What a POSIX shell sees of a run's HRESULT."""
    value = hresult & 0xFFFFFFFF
    if value & 0x80000000 == 0:
        return 0
    return (value & 0xFF) or 1


class PosixRuns:
    """One work folder per catalog: the same paths in every run, so that runs
    of one catalog make the same allocations in the same order."""

    exit_of = staticmethod(posix_exit)

    def __init__(self, binary, source, prefix):
        self.binary = os.path.abspath(binary)
        self.work = tempfile.mkdtemp(prefix=prefix)
        with open(source, encoding="utf-8") as handle:
            self.original = json.load(handle)
        self.catalog = os.path.join(self.work, "catalog.json")
        self.trace = os.path.join(self.work, "trace.txt")

    def close(self):
        shutil.rmtree(self.work, ignore_errors=True)

    def run(self, content, faults=(), env=None, argument=None):
        """Runs once over `content` (a catalog as JSON data) with `faults`
        added to its scripted failures."""
        content = dict(content)
        if faults:
            content["faults"] = list(content.get("faults", [])) + list(faults)
        with open(self.catalog, "w", encoding="utf-8") as handle:
            json.dump(content, handle, indent=2, ensure_ascii=False)
        if os.path.exists(self.trace):
            os.remove(self.trace)
        environment = dict(os.environ)
        environment.update({"LUMORA_CATALOG": self.catalog, "LUMORA_TRACE": self.trace})
        environment.update(env or {})
        timed_out, signal = False, None
        try:
            completed = subprocess.run([self.binary, argument or self.catalog], env=environment,
                                       capture_output=True, timeout=TIMEOUT)
            code, out, err = completed.returncode, completed.stdout, completed.stderr
            if code < 0:
                signal = -code
        except subprocess.TimeoutExpired as expired:
            timed_out, code, out, err = True, None, expired.stdout or b"", expired.stderr or b""
        trace = open(self.trace, encoding="utf-8", errors="replace").read() if os.path.exists(self.trace) else ""
        with open(self.catalog, encoding="utf-8", errors="replace") as handle:
            catalog_text = handle.read()
        return RunResult(code, out.decode("utf-8", "replace"), err.decode("utf-8", "replace"), trace, catalog_text,
                         timed_out, signal)


def without_faults(catalog):
    catalog = dict(catalog)
    catalog.pop("faults", None)
    return catalog


def check_convergence(check, runs, clean, result):
    """A clean run over what the faulted run left ends where the clean run did."""
    again = runs.run(without_faults(result.catalog()))
    check.require(without_faults(again.catalog()) == without_faults(clean.catalog()),
                  "a clean run over the catalog it left does not give the clean run's catalog")


def sweep_main(usage, sweep_catalog, prefix, what):
    """The command line of a sweep: BINARY CATALOG...; one line per catalog,
    then its problems; non-zero when there are any."""
    if len(sys.argv) < 3:
        print(usage)
        return 2
    failures = 0
    for catalog in sys.argv[2:]:
        name = os.path.basename(os.path.dirname(catalog)) if os.path.basename(catalog) == "catalog.json" \
            else os.path.basename(catalog)
        runs = PosixRuns(sys.argv[1], catalog, prefix)
        try:
            problems, count = sweep_catalog(runs, name)
        finally:
            runs.close()
        print("%s: %d %s, %d problems" % (name, count, what, len(problems)))
        for problem in problems[:40]:
            print("  " + problem)
        failures += len(problems)
    return 1 if failures else 0
