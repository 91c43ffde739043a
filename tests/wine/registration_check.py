"""/regserver and /unregserver leave the classes root as they found it.

Users rehearse where the real host is installed, under the same class,
ProgID and interface identifiers. So every sequence of /regserver and
/unregserver, and each of them failed at each of its registry operations in
turn (LUMORA_REGISTRY_FAULT), must leave the registry byte for byte as it was:
the whole classes root, exported with Wine's reg, after each sequence and
each sweep; after each failed operation, every key registration may touch,
dumped by registry-dump.exe in one process. Once on a prefix without the real
host, with a rehearsal of the example, and once with a made-up registration
of the real host.
"""
import os
import re
import shutil
import subprocess

from wine_session import WineError, windows_path

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

CLSID = "{16430AC8-7237-44FD-92B4-B6AF687D2019}"
PROG_ID = "Lumora.Application"
# The real host's own type library: any identifier but the stand-in's.
REAL_LIBID = "{9B0E57A4-3C1D-4E8B-A2F6-5D7C0B1E4F93}"
REAL_SERVER = r'"C:\Program Files\Lumora\Lumora.exe" /automation'

SEQUENCES = [
    ["/regserver", "/unregserver"],
    ["/regserver", "/regserver", "/unregserver"],
    ["/regserver", "/unregserver", "/unregserver"],
    ["/unregserver"],
]


def _idl():
    with open(os.path.join(ROOT, "hostsim", "server", "lumora_host.idl"), encoding="utf-8") as handle:
        return handle.read()


def interfaces():
    """(name, IID) of the seven host interfaces, as the IDL declares them."""
    found = re.findall(r"uuid\(([0-9A-Fa-f-]{36})\)[^\]]*\]\s*interface\s+(\w+)", _idl())
    return [(name, "{" + iid.upper() + "}") for iid, name in found]


def stand_in_library():
    found = re.search(r"uuid\(([0-9A-Fa-f-]{36})\)[^\]]*\]\s*library\s", _idl())
    return "{" + found.group(1).upper() + "}"


def touched_keys():
    """Every key that the stand-in's registration may write or delete."""
    return ([f"CLSID\\{CLSID}", PROG_ID, f"TypeLib\\{stand_in_library()}", f"TypeLib\\{REAL_LIBID}"] +
            [f"Interface\\{iid}" for _, iid in interfaces()])


def real_host_registration():
    """What an installed real host registers, in the .reg format: its class
    with a server under C:\\Program Files, its ProgID, and its interfaces'
    marshaling through a type library of its own; values of other types too,
    so the comparison sees them."""
    def key(path, *values):
        lines = [f"[HKEY_CLASSES_ROOT\\{path}]"]
        for name, data in values:
            quoted = data if data.startswith(("dword:", "hex:")) else '"' + data.replace("\\", "\\\\").replace('"', '\\"') + '"'
            lines.append(("@" if name is None else f'"{name}"') + "=" + quoted)
        return "\n".join(lines) + "\n"

    parts = [key(f"CLSID\\{CLSID}", (None, "Lumora Application"), ("AppID", CLSID)),
             key(f"CLSID\\{CLSID}\\LocalServer32", (None, REAL_SERVER)),
             key(f"CLSID\\{CLSID}\\ProgID", (None, PROG_ID + ".3")),
             key(f"CLSID\\{CLSID}\\TypeLib", (None, REAL_LIBID)),
             key(f"CLSID\\{CLSID}\\Version", (None, "3.1"), ("Flags", "dword:00000005")),
             key(PROG_ID, (None, "Lumora Application")),
             key(f"{PROG_ID}\\CLSID", (None, CLSID)),
             key(f"{PROG_ID}\\CurVer", (None, PROG_ID + ".3"), ("Stamp", "hex:01,02,fe"))]
    for name, iid in interfaces():
        parts += [key(f"Interface\\{iid}", (None, name)),
                  key(f"Interface\\{iid}\\ProxyStubClsid32", (None, "{00020424-0000-0000-C000-000000000046}")),
                  key(f"Interface\\{iid}\\TypeLib", (None, REAL_LIBID), ("Version", "3.1"))]
    return "REGEDIT4\n\n" + "\n".join(parts)


def real_host_removal():
    paths = [f"CLSID\\{CLSID}", PROG_ID] + [f"Interface\\{iid}" for _, iid in interfaces()]
    return "REGEDIT4\n\n" + "\n".join(f"[-HKEY_CLASSES_ROOT\\{path}]\n" for path in paths)


class Registry:
    """The prefix's classes root, exported whole through Wine's reg."""

    def __init__(self, session, scratch):
        self.session = session
        self.scratch = scratch

    def _reg(self, args):
        return subprocess.run(["wine", "reg"] + args, env=self.session.env, capture_output=True, timeout=120)

    def export(self):
        path = os.path.join(self.scratch, "classes-root.reg")
        if os.path.exists(path):
            os.remove(path)
        result = self._reg(["export", "HKEY_CLASSES_ROOT", windows_path(path), "/y"])
        if result.returncode != 0 or not os.path.exists(path):
            raise WineError(f"reg export failed: {result.stderr.decode('utf-8', 'replace')}")
        with open(path, "rb") as handle:
            return handle.read()

    def dump(self):
        """The keys registration may touch, in one process: quick enough to
        take after every failed registry operation."""
        out, err, status = direct(self.session, self.scratch, "registry-dump.exe", touched_keys())
        if status != 0:
            raise WineError(f"registry-dump.exe failed with exit {status}: {err}")
        return out

    def load(self, text, name):
        path = os.path.join(self.scratch, name)
        with open(path, "w", encoding="ascii", newline="\r\n") as handle:
            handle.write(text)
        result = self._reg(["import", windows_path(path)])
        if result.returncode != 0:
            raise WineError(f"reg import {name} failed: {result.stderr.decode('utf-8', 'replace')}")


def difference(before, after):
    """The first lines that differ between two exports or dumps."""
    encoding = "utf-16" if before.startswith(b"\xff\xfe") else "utf-8"
    old = before.decode(encoding, "replace").splitlines()
    new = after.decode(encoding, "replace").splitlines()
    gone = [line for line in old if line not in set(new)][:6]
    added = [line for line in new if line not in set(old)][:6]
    return f"lines gone: {gone}; lines added: {added}"


def direct(session, scratch, exe, args, extra_env=None):
    """A Windows program's standard output and error, and its exit status.
    Run without the launcher, which would double the Wine processes of a
    sweep that starts hundreds: a Linux shell sees only the low byte of the
    HRESULT (0x80070005 is 5), and lumora-host's message names it whole."""
    env = dict(session.env)
    env.update(extra_env or {})
    out_path, err_path = (os.path.join(scratch, f"registration-{name}.txt") for name in ("stdout", "stderr"))
    # Files, not pipes: a Wine service that the program starts would hold a
    # pipe open long after the program has ended.
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        status = subprocess.run(["wine", session.exe(exe)] + list(args), env=env, cwd=scratch,
                                stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=90).returncode
    with open(out_path, "rb") as out, open(err_path, "rb") as err:
        return out.read(), err.read().decode("utf-8", "replace"), status


def host(session, scratch, option, fault=None):
    out, err, status = direct(session, scratch, "lumora-host.exe", [option],
                              {"LUMORA_REGISTRY_FAULT": str(fault)} if fault else None)
    return out.decode("utf-8", "replace"), err, status


def check_sequences(session, scratch, registry, before, where):
    failures = []
    for sequence in SEQUENCES:
        for option in sequence:
            _, err, value = host(session, scratch, option)
            if value != 0:
                failures.append(f"{where}: {option} in {' '.join(sequence)} failed with exit {value}: {err.strip()}")
        after = registry.export()
        if after != before:
            failures.append(f"{where}: {' '.join(sequence)} changed the registry: {difference(before, after)}")
    return failures


def check_failed_registration(session, scratch, registry, where, options):
    """/regserver failed at each registry operation in turn: one line on
    standard error, a failure exit value and the registry as it was; then
    /unregserver failed at each of its own, after which a second one leaves
    the registry as it was."""
    before = registry.dump()
    failures = []
    for option, follow in (("/regserver", None), ("/unregserver", "/unregserver")):
        if option not in options:
            continue
        fault = 1
        while True:
            if option == "/unregserver":
                host(session, scratch, "/regserver")
            _, err, value = host(session, scratch, option, fault)
            if value == 0:
                break
            lines = err.strip().splitlines()
            if len(lines) != 1 or "(0x80070005)" not in lines[0] or value != 0x05:
                failures.append(f"{where}: {option} failed at registry operation {fault}: exit {value} {err!r}")
            if follow:
                host(session, scratch, follow)
            after = registry.dump()
            if after != before:
                failures.append(f"{where}: {option} failed at registry operation {fault} and left the registry "
                                f"changed: {difference(before, after)}")
            fault += 1
        if fault == 1:
            failures.append(f"{where}: {option} never met its planted fault")
        if option == "/regserver":
            host(session, scratch, "/unregserver")
    return failures


def check_rehearsal(session, scratch):
    """The README's rehearsal on the example: register, start the host with a
    copy of the catalog, run Quillfen, stop the host."""
    catalog = os.path.join(scratch, "rehearsal photos.json")
    shutil.copyfile(os.path.join(ROOT, "examples", "photos.json"), catalog)
    _, err, value = host(session, scratch, "/regserver")
    if value != 0:
        return [f"rehearsal: /regserver failed with exit {value}: {err.strip()}"]
    running = session.start_host(windows_path(catalog), os.path.join(scratch, "rehearsal-host-stderr.txt"))
    try:
        out, err, value = session.run(session.exe("Quillfen.exe"), [windows_path(catalog)], cwd=scratch)
    finally:
        session.stop_host(running)
        host(session, scratch, "/unregserver")
    with open(catalog, encoding="utf-8") as handle:
        saved = handle.read()
    if value != 0 or b"Media Set Name: B" not in out or "{Root}{A}{B}" not in saved:
        return [f"rehearsal: Quillfen.exe exited 0x{value:08X}: {err.decode('utf-8', 'replace').strip()}"]
    return []


def registration(session, scratch):
    registry = Registry(session, scratch)
    failures = []
    try:
        host(session, scratch, "/unregserver")
        before = registry.export()
        if CLSID.encode("utf-16-le") in before:
            return ["/unregserver left the class registered"]
        failures += check_sequences(session, scratch, registry, before, "without the real host")
        failures += check_failed_registration(session, scratch, registry, "without the real host",
                                              ("/regserver", "/unregserver"))
        failures += check_rehearsal(session, scratch)
        after = registry.export()
        if after != before:
            failures.append(f"the failed registrations or the rehearsal left the registry changed: "
                            f"{difference(before, after)}")

        registry.load(real_host_registration(), "real-host.reg")
        with_real_host = registry.export()
        failures += check_sequences(session, scratch, registry, with_real_host, "with the real host")
        # Where the real host is registered, /unregserver deletes only the
        # type library; the sequences above cover it, and a sweep of it would
        # only repeat the reads swept without the real host.
        failures += check_failed_registration(session, scratch, registry, "with the real host", ("/regserver",))
        out, _, _ = host(session, scratch, "/regserver")
        if "left alone: class" not in out or out.count("left alone: interface") != len(interfaces()):
            failures.append(f"with the real host, /regserver did not say what it left alone: {out!r}")
        host(session, scratch, "/unregserver")
        after = registry.export()
        if after != with_real_host:
            failures.append(f"with the real host, the failed registrations left the registry changed: "
                            f"{difference(with_real_host, after)}")
        registry.load(real_host_removal(), "real-host-removal.reg")
        if registry.export() != before:
            failures.append("removing the made-up real host left the registry changed")
    finally:
        session.register()
    return failures
