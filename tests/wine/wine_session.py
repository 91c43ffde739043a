"""One Wine session for the Windows build: its own WINEPREFIX, the host
stand-in registered in it, hand-started hosts, and Windows programs run with
their full 32-bit exit value.

Wine runs one program at a time here; the prefix's wineserver is kept
running for the whole session and is stopped at the end, and only that one.
"""
import os
import re
import shutil
import subprocess
import time

READY_PREFIX = "lumora-host: ready"


class WineError(Exception):
    pass


class WineTimeout(WineError):
    """A program that did not end within its time: under Wine, a hang."""


def windows_path(path):
    """The Windows name of a POSIX path: Wine maps the whole file system to Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Host:
    """A hand-started lumora-host.exe with one catalog active."""

    def __init__(self, process, stderr_path):
        self.process = process
        self.stderr_path = stderr_path

    def stderr(self):
        with open(self.stderr_path, "rb") as handle:
            return handle.read().decode("utf-8", errors="replace")


class WineSession:
    def __init__(self, build_dir, prefix):
        self.bin = os.path.join(os.path.abspath(build_dir), "bin")
        self.prefix = os.path.abspath(prefix)
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": self.prefix,
            # Creating a prefix must never offer to install Mono or Gecko.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "WINEDEBUG": "-all",
            # Wine reads arguments and environment in the POSIX locale's
            # character set; UTF-8 keeps accented paths intact.
            "LC_ALL": "C.UTF-8",
        })
        self.env.pop("DISPLAY", None)
        self.env.pop("LUMORA_CATALOG", None)
        self.env.pop("LUMORA_TRACE", None)
        for tool in ("wine", "wineserver"):
            if not shutil.which(tool):
                raise WineError(f"{tool} is not installed")

    def exe(self, name):
        path = os.path.join(self.bin, name)
        if not os.path.exists(path):
            raise WineError(f"{path} is missing: build the Windows build first")
        return path

    def _environment(self, extra):
        env = dict(self.env)
        env.update(extra or {})
        return env

    # The prefix -----------------------------------------------------------

    def create(self, fresh=True):
        """Creates the prefix (several seconds) and starts its wineserver,
        which then stays up until stop() so later programs start quickly."""
        if fresh and os.path.exists(self.prefix):
            self.stop()
            _remove_tree(self.prefix)
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        try:
            subprocess.run(["wine", "wineboot", "--init"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=True, timeout=300)
            # wineboot returns while the new prefix is still being set up, with
            # services of its own; a COM class registered meanwhile can get
            # lost. Waiting until that server has ended on its own avoids it.
            subprocess.run(["wineserver", "-w"], env=self.env, check=True, timeout=300)
        except (subprocess.CalledProcessError, subprocess.TimeoutExpired) as error:
            raise WineError(f"cannot create the Wine prefix {self.prefix}: {error}") from error
        subprocess.run(["wineserver", "-p"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        """Ends every process of this prefix and its wineserver, no other, and
        waits until that server is gone (-k succeeds while there is one)."""
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            killed = subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL, timeout=60)
            if killed.returncode != 0:
                return
            time.sleep(0.2)

    def restart(self):
        """After a host that would not stop: a clean slate for what follows."""
        self.stop()
        subprocess.run(["wineserver", "-p"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # Programs -------------------------------------------------------------

    def run(self, exe, args, extra_env=None, cwd=None, timeout=120, progress=None):
        """Runs a Windows program with the launcher, which records its full
        32-bit exit value. Returns (stdout bytes, stderr bytes, exit value).

        progress: (path, seconds) of a file that grows while the program
        makes progress, such as the host's trace; a program that has not made
        it grow for that long is taken as hung, as one past its timeout is.

        The output goes through files, not pipes: a Wine service that the
        program starts would inherit a pipe and hold it open long after the
        program has ended."""
        folder = cwd or self.prefix
        exit_file, out_file, err_file = (os.path.join(folder, f"{name}-{os.getpid()}.txt")
                                         for name in ("exit-value", "stdout", "stderr"))
        if os.path.exists(exit_file):
            os.remove(exit_file)
        command = ["wine", self.exe("exit-code-launcher.exe"), windows_path(exit_file),
                   windows_path(exe)] + list(args)
        for _ in range(2):
            try:
                with open(out_file, "wb") as out, open(err_file, "wb") as err:
                    process = subprocess.Popen(command, env=self._environment(extra_env), cwd=cwd,
                                               stdin=subprocess.DEVNULL, stdout=out, stderr=err)
                    status = _wait(process, timeout, progress)
            except subprocess.TimeoutExpired as error:
                _take(out_file), _take(err_file)
                raise WineTimeout(f"{os.path.basename(exe)} did not finish {error.output}") from error
            stdout, stderr = _take(out_file), _take(err_file)
            # Wine failed to start the launcher itself, which then said and
            # ran nothing: that start is tried once more.
            if os.path.exists(exit_file) or status == 0 or stdout or stderr:
                break
        try:
            value = int(_take(exit_file).decode("ascii").strip(), 16)
        except (OSError, ValueError) as error:
            raise WineError(f"no exit value for {os.path.basename(exe)} (wine ended with {status}): "
                            f"{(stdout + stderr).decode('utf-8', 'replace').strip()}") from error
        return stdout, stderr, value

    def run_host_command(self, option, extra_env=None, timeout=90):
        """lumora-host.exe /regserver, /unregserver or /stop; returns its HRESULT."""
        _, err, value = self.run(self.exe("lumora-host.exe"), [option], extra_env, timeout=timeout)
        if value != 0:
            raise WineError(f"lumora-host.exe {option} failed with 0x{value:08X}: "
                            f"{err.decode('utf-8', 'replace').strip()}")
        return value

    def register(self):
        self.run_host_command("/regserver")

    def unregister(self):
        self.run_host_command("/unregserver")

    def start_host(self, catalog_windows_path, stderr_path, extra_env=None, timeout=60):
        """Starts lumora-host.exe with a catalog and waits for its ready line."""
        stdout_path = stderr_path + ".stdout"
        exit_path = stderr_path + ".exit"
        # Through the launcher, so a host that gives up tells its whole HRESULT.
        with open(stdout_path, "wb") as out, open(stderr_path, "wb") as err:
            process = subprocess.Popen(["wine", self.exe("exit-code-launcher.exe"), windows_path(exit_path),
                                        windows_path(self.exe("lumora-host.exe")), catalog_windows_path],
                                       env=self._environment(extra_env), stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=err)
        host = Host(process, stderr_path)
        deadline = time.monotonic() + timeout
        while True:
            with open(stdout_path, "rb") as handle:
                if READY_PREFIX.encode() in handle.read():
                    return host
            if process.poll() is not None:
                try:
                    value = _take(exit_path).decode("ascii").strip()
                except OSError:
                    value = f"launcher status {process.returncode}"
                raise WineError(f"lumora-host.exe ended ({value}) before it was ready: {host.stderr().strip()}")
            if time.monotonic() > deadline:
                self._kill(host)
                raise WineError("lumora-host.exe did not say it was ready")
            time.sleep(0.02)

    def stop_host(self, host, timeout=60):
        """lumora-host.exe /stop, which returns once the host has saved and
        ended. Should the host not stop, every process of the prefix is ended,
        so the next test does not meet it."""
        try:
            try:
                self.run_host_command("/stop")
            except WineError:
                # Now and then Wine fails to start a program at all; a host
                # that is still there gets a second /stop.
                if not _ended(host.process, 5):
                    self.run_host_command("/stop")
            host.process.wait(timeout=timeout)
        except (WineError, subprocess.TimeoutExpired) as error:
            self.restart()
            host.process.wait(timeout=timeout)
            raise WineError(f"lumora-host.exe did not stop: {error}") from error

    def _kill(self, host):
        if host.process.poll() is None:
            host.process.kill()
            host.process.wait(timeout=30)


def _wait(process, timeout, progress):
    """The process's exit status; kills it and raises TimeoutExpired when it
    runs past `timeout`, or stalls as `progress` (path, seconds) tells."""
    deadline = time.monotonic() + timeout
    watched, stall = progress or (None, None)
    size, changed = -1, time.monotonic()
    while True:
        try:
            return process.wait(timeout=0.2)
        except subprocess.TimeoutExpired:
            pass
        now = time.monotonic()
        if watched:
            grown = os.path.getsize(watched) if os.path.exists(watched) else -1
            if grown != size:
                size, changed = grown, now
        why = (f"within {timeout} s" if now > deadline else
               f"(no progress for {stall} s)" if watched and now - changed > stall else None)
        if why:
            process.kill()
            process.wait()
            raise subprocess.TimeoutExpired(process.args, timeout, output=why)


def _remove_tree(path):
    """A wineserver that was just told to end may still be saving its
    registry files into the prefix for a moment."""
    for _ in range(40):
        try:
            shutil.rmtree(path)
            return
        except FileNotFoundError:
            return
        except OSError:
            time.sleep(0.25)
    raise WineError(f"cannot remove the old Wine prefix {path}")


def _ended(process, seconds):
    try:
        process.wait(timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False


def _take(path):
    """The file's contents, after which the file is gone."""
    try:
        with open(path, "rb") as handle:
            return handle.read()
    finally:
        if os.path.exists(path):
            os.remove(path)


def wait_for_trace_end(trace_path, timeout=20):
    """A host that COM started writes the trace's last line as it ends."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if os.path.exists(trace_path):
            with open(trace_path, encoding="utf-8", errors="replace") as handle:
                lines = handle.read().splitlines()
            if lines and lines[-1].startswith("references held by clients:"):
                return True
        time.sleep(0.1)
    return False


_DIR_PATH = re.compile(r"\$(LOWERCASE_DRIVE_DIR|DIR)((?:/[^\s/]*)*)")


def adapt_paths(text, windows_dir, windows_catalog):
    """Turns the scenario's $DIR and $CATALOG into Windows paths; a POSIX path
    written below $DIR gets Windows separators. $LOWERCASE_DRIVE_DIR is $DIR
    with its drive letter in lower case."""
    text = text.replace("$CATALOG", windows_catalog)

    def directory(match):
        base = windows_dir[0].lower() + windows_dir[1:] if match.group(1) == "LOWERCASE_DRIVE_DIR" else windows_dir
        return base + match.group(2).replace("/", "\\")

    return _DIR_PATH.sub(directory, text)
