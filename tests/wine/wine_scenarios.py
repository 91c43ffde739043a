"""Runs an end-to-end scenario (the folder format of tests/e2e/run_scenario.py)
with Quillfen.exe under Wine, against lumora-host.exe in its own process.

What differs from the POSIX run, and only that:
  - paths: $DIR and $CATALOG are Windows paths (Z:\\...), and "/" below $DIR
    becomes "\\";
  - line ends: the expected output is compared with CR LF;
  - the exit value: the full 32-bit HRESULT, read with the launcher;
  - the host: a catalog that is active means a host started by hand with that
    catalog, which the runner stops (/stop) after the last run; no active
    catalog means the host that COM starts with -Embedding, which must end on
    its own after the last release. A catalog edited between runs is edited
    while the host is stopped, as a user would restart it;
  - the trace of the last run is what the host appended during that run, plus
    the line it writes when it ends;
  - expected standard error lines that start with "lumora-host: " come from the
    host's process, so they are compared with the hand-started host's standard
    error.

Keys only the Windows runs read (tests/wine/scenarios, and end-to-end scenarios
that must show that no host was needed):
  "host"        "hand", "com" or "none" (no host running); the default follows
                "active"
  "registered"  false: the host is unregistered for the run
  "files"       more files copied from the scenario folder into the run's
                folder; each must be left byte for byte unchanged
  "timeout"     seconds Quillfen.exe may take before the run counts as a hang
                (default 120)
  "host_dies"   true: a fault with "exit" ends the hand-started host during
                the run. The host must be gone at once, its trace must end
                at that very call (the nth of its operation) without the
                host's last line, and instead of catalog.after.json the
                catalog must still be JSON in which everything but the
                keyword lists is as it was and every list is the original
                or extends it
Placeholder: $LOWERCASE_DRIVE_DIR is $DIR with its drive letter in lower case.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from wine_session import WineError, WineTimeout, adapt_paths, wait_for_trace_end, windows_path

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from run_scenario import rename_sets  # noqa: E402  the same edits as on POSIX
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sweep"))
from sweep_oracle import grown_by_whole_keywords  # noqa: E402

HOST_LINE = "lumora-host: "
LAST_TRACE_LINE = "references held by clients:"


def _read(path):
    with open(path, encoding="utf-8") as handle:
        return handle.read()


def _crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


class ScenarioRun:
    def __init__(self, session, scenario_dir, scratch_dir):
        self.session = session
        self.dir = scenario_dir
        with open(os.path.join(scenario_dir, "scenario.json"), encoding="utf-8") as handle:
            self.scenario = json.load(handle)
        self.work = tempfile.mkdtemp(prefix=os.path.basename(scenario_dir) + "-", dir=scratch_dir)
        self.failures = []
        self.stalled_at_activation = False

    def applies(self):
        return "windows" in self.scenario.get("platforms", ["posix", "windows"])

    def adapt(self, text):
        return adapt_paths(text, windows_path(self.work), self.windows_catalog)

    def expected(self, name):
        path = os.path.join(self.dir, name)
        return self.adapt(_read(path)) if os.path.exists(path) else ""

    def run(self):
        scenario = self.scenario
        self.catalog = os.path.join(self.work, scenario.get("catalog_name", "catalog.json"))
        self.windows_catalog = windows_path(self.catalog)
        source = os.path.join(self.dir, scenario.get("catalog_from", "catalog.json"))
        if os.path.exists(source):
            shutil.copyfile(source, self.catalog)
        extra_files = {}
        for name in scenario.get("files", []):
            shutil.copyfile(os.path.join(self.dir, name), os.path.join(self.work, name))
            extra_files[name] = open(os.path.join(self.work, name), "rb").read()

        args = [self.adapt(argument) for argument in scenario.get("args", ["$CATALOG"])]
        trace = os.path.join(self.work, "trace.txt")
        env = {"LUMORA_TRACE": windows_path(trace)}
        want_out = _crlf(self.expected("stdout.txt"))
        want_err_lines = self.expected("stderr.txt").splitlines()
        want_err = _crlf("".join(line + "\n" for line in want_err_lines if not line.startswith(HOST_LINE)))
        want_host_err = [line for line in want_err_lines if line.startswith(HOST_LINE)]
        want_exit = int(scenario.get("exit", "0x0"), 16) & 0xFFFFFFFF
        before = open(self.catalog, "rb").read() if os.path.exists(self.catalog) else None
        mode = scenario.get("host", "hand" if scenario.get("active", True) else "com")
        registered = scenario.get("registered", True)
        host_err_path = os.path.join(self.work, "host-stderr.txt")
        quillfen = self.session.exe("Quillfen.exe")

        host = None
        host_errors = ""
        offset = 0
        try:
            if not registered:
                self.session.unregister()
            if mode == "hand":
                host = self.session.start_host(self.windows_catalog, host_err_path, env)
            runs = int(scenario.get("runs", 1))
            for run in range(1, runs + 1):
                if run > 1 and scenario.get("between_runs"):
                    if host:
                        host_errors += self._stop(host)
                        host = None
                    rename_sets(self.catalog, scenario["between_runs"])
                    if mode == "hand":
                        host = self.session.start_host(self.windows_catalog, host_err_path + f".{run}", env)
                offset = os.path.getsize(trace) if os.path.exists(trace) else 0
                out, err, value = self.session.run(quillfen, args, env, cwd=self.work,
                                                   timeout=scenario.get("timeout", 120))
                out, err = out.decode("utf-8", "replace"), err.decode("utf-8", "replace")
                if run == runs and out != want_out:
                    self.fail(f"run {run}: standard output differs\n--- expected\n{want_out}--- got\n{out}")
                if err != want_err:
                    self.fail(f"run {run}: standard error differs\n--- expected\n{want_err}--- got\n{err}")
                if value != want_exit:
                    self.fail(f"run {run}: exit value 0x{value:08X}, expected 0x{want_exit:08X}")
            if host and scenario.get("host_dies"):
                host, ended = None, host
                host_errors += self._wait_for_end(ended)
            # The host saves as soon as its clients have let go, so a finished
            # run can be checked while the host keeps running.
            if host:
                self.check_catalog(before, " while the host still runs")
        except WineError as error:
            self.fail(str(error))
            self.stalled_at_activation = isinstance(error, WineTimeout) and not _calls_in(trace)
        finally:
            if host:
                try:
                    # A run that failed before its host died: the host may be
                    # gone all the same, and is then cleared away.
                    host_errors += self._wait_for_end(host) if scenario.get("host_dies") else self._stop(host)
                except WineError as error:
                    self.fail(str(error))
            if not registered:
                self.session.register()

        if mode == "com" and not scenario.get("host_untouched") and not wait_for_trace_end(trace):
            self.fail("the host that COM started did not end after its clients released it")
        self.check_trace(trace, offset)
        if mode == "hand":
            got = host_errors.replace("\r\n", "\n").splitlines()
            if got != want_host_err:
                self.fail("the host's standard error differs\n--- expected\n" + "\n".join(want_host_err) +
                          "\n--- got\n" + "\n".join(got))
        if scenario.get("host_dies"):
            self.check_lists_kept(before)
        else:
            self.check_catalog(before, "")
        for name, content in extra_files.items():
            if open(os.path.join(self.work, name), "rb").read() != content:
                self.fail(f"{name} changed although it is not the active catalog")
        return self.failures

    def _stop(self, host):
        self.session.stop_host(host)
        return host.stderr()

    def _wait_for_end(self, host):
        """A host that a fault ended; one that is still there is stopped."""
        try:
            host.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.fail("the host was still running after the call that should have ended it")
            self.session.stop_host(host)
            return host.stderr()
        # Wine's rpcss keeps the class object of a host that died, and
        # CoCreateInstance then fails with 0x80040154 even for a new host,
        # until the prefix's processes start afresh.
        self.session.restart()
        return host.stderr()

    def fatal_fault(self):
        with open(self.catalog, encoding="utf-8") as handle:
            faults = json.load(handle).get("faults", [])
        return next(fault for fault in faults if fault.get("exit"))

    def check_host_died_at_its_fault(self, lines):
        fault = self.fatal_fault()
        # "<label> <operation>" with "(<position>)" after an Item call.
        call = re.compile(re.escape(fault["call"]) + r"(\(\d+\))?")
        calls = [line for line in lines if call.fullmatch(line.partition(" ")[2])]
        if not lines or lines[-1] not in calls[-1:] or len(calls) != fault.get("nth", 1):
            self.fail(f"the trace does not end at call {fault.get('nth', 1)} of {fault['call']}, which ends "
                      f"the host: it ends with {lines[-1:]!r} after {len(calls)} such calls")

    def check_trace(self, trace, offset):
        if not os.path.exists(trace):
            if self.scenario.get("host", "") != "none" and not self.scenario.get("host_untouched"):
                self.fail("the host wrote no trace")
            return
        with open(trace, "rb") as handle:
            handle.seek(offset)
            lines = handle.read().decode("utf-8", "replace").splitlines()
        if self.scenario.get("host_dies"):
            self.check_host_died_at_its_fault(lines)
        elif lines and lines[-1] != LAST_TRACE_LINE + " 0":
            self.fail(f"trace does not end with all references released: {lines[-1]!r}")
        calls = [line for line in lines if not line.startswith(LAST_TRACE_LINE)]
        if self.scenario.get("host_untouched") and calls:
            self.fail(f"the host was called: {calls[0]!r}")
        if self.scenario.get("no_put") and any(line.endswith("(put)") for line in lines):
            self.fail("the last run wrote a keyword list")
        want_path = os.path.join(self.dir, "trace.txt")
        if os.path.exists(want_path) and lines != self.expected("trace.txt").splitlines():
            self.fail("trace differs\n--- expected\n" + self.expected("trace.txt") + "--- got\n" +
                      "\n".join(lines))

    def check_catalog(self, before, when):
        if before is None:
            return
        after = open(self.catalog, "rb").read()
        after_path = os.path.join(self.dir, "catalog.after.json")
        if os.path.exists(after_path):
            want = json.loads(_read(after_path))
            got = json.loads(after.decode("utf-8"))
            if got != want:
                self.fail(f"catalog afterwards differs{when}\n--- expected\n" +
                          json.dumps(want, indent=2, ensure_ascii=False) + "\n--- got\n" +
                          json.dumps(got, indent=2, ensure_ascii=False))
        elif after != before:
            self.fail(f"the catalog changed{when} although no change was expected")

    def check_lists_kept(self, before):
        """What a host that died may leave: the catalog as last saved, so at
        most some lists extended, never one lost, shortened or garbled."""
        after = open(self.catalog, "rb").read()
        try:
            got = json.loads(after.decode("utf-8"))
        except ValueError as error:
            self.fail(f"the catalog is no longer valid JSON: {error}")
            return
        was = json.loads(before.decode("utf-8"))
        for item_was, item_now in zip(was.get("items", []), got.get("items", [])):
            old, new = item_was.get("keywords") or "", item_now.get("keywords") or ""
            if not grown_by_whole_keywords(old, new):
                self.fail(f"item {item_was.get('id')!r}: keywords {old!r} became {new!r}")
        for document in (was, got):
            for item in document.get("items", []):
                item.pop("keywords", None)
        if got != was:
            self.fail("the catalog changed beyond its keyword lists:\n" + json.dumps(got, indent=2))

    def fail(self, message):
        self.failures.append(message)

    def clean(self):
        shutil.rmtree(self.work, ignore_errors=True)


def _calls_in(trace):
    if not os.path.exists(trace):
        return False
    return any(not line.startswith(LAST_TRACE_LINE) for line in _read(trace).splitlines())


def run_scenario(session, scenario_dir, scratch_dir):
    """Returns None when the scenario is not one for Windows, else its failures.

    On a loaded machine Wine has been seen, once in some hundreds of runs, to
    leave Quillfen.exe waiting before its first call ever reached the host
    (the host traced nothing). Such a run is tried once more, and says so; a
    second stall, or a stall after the first call, fails the scenario. The
    soak check (tests/wine/soak-wine) retries nothing."""
    run = ScenarioRun(session, scenario_dir, scratch_dir)
    if not run.applies():
        run.clean()
        return None
    failures = run.run()
    if failures and run.stalled_at_activation:
        print(f"RETRY {os.path.basename(scenario_dir)}: Quillfen.exe stalled before its first host call", flush=True)
        run = ScenarioRun(session, scenario_dir, scratch_dir)
        failures = run.run()
    # A failed scenario's folder stays for a look; the next test run clears it.
    if not failures:
        run.clean()
    return failures
