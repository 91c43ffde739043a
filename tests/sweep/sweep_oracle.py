"""What every faulted run must show, whatever failed in it. The sweeps run a
catalog once cleanly, then once per fault, and hold each faulted run to these
properties. None of them restates how Quillfen builds its hierarchy or its
keywords: they compare a faulted run with the clean run of the same catalog.

A run is a RunResult: its exit value as the run's HRESULT when the platform
tells it (Windows) or the POSIX exit value, its output, its host trace and the
catalog it left.
"""
import json

from host_operations import NAME

# The steps of a run in their order. Steps that make no traced host call
# (decoding the arguments, COM start-up, creating the application object) still
# have their place, because a failure can happen in them.
STEPS = ["decode_arguments", "initialize_com", "open_application", "print_application", "open_catalog",
         "print_catalog", "check", "load", "print_tree", "add_keywords"]
PRINT_STEPS = {"print_application", "print_catalog", "print_tree"}
MESSAGES = {
    "initialize_com": "Failed to initialize COM",
    "open_application": "Failed to open application",
    "open_catalog": "Failed to open catalog",
    "load": "Failed to load media sets",
    "add_keywords": "Failed to add keywords",
}
MISMATCH = "Active catalog does not match requested catalog"
STEP_OF_MESSAGE = {message: step for step, message in MESSAGES.items()}

E_FAIL = 0x80004005
E_POINTER = 0x80004003
E_OUTOFMEMORY = 0x8007000E
RELEASED_ALL = "references held by clients: 0"


class RunResult:
    def __init__(self, exit_value, stdout, stderr, trace, catalog_text, timed_out=False, signal=None):
        self.exit_value = exit_value
        self.stdout = stdout
        self.stderr = stderr
        lines = trace.splitlines()
        self.calls = [line for line in lines if not line.startswith("references held by clients:")]
        self.last_trace_line = lines[-1] if lines else ""
        self.catalog_text = catalog_text
        self.timed_out = timed_out
        self.signal = signal

    def catalog(self):
        return json.loads(self.catalog_text)


def operation(call):
    """'sets IHostMediaSets::Item(2)' -> 'IHostMediaSets::Item'."""
    name = call.split(" ", 1)[1]
    return name.split("(", 1)[0] if name.endswith(")") and not name.endswith("(put)") else name


def label(call):
    return call.split(" ", 1)[0]


def steps_of_calls(clean):
    """The step of every host call of the clean run, read off the call order
    and the clean listing: the application block's three reads, the catalog's
    attachment and block, the check's read of the path, then the load up to the
    listing, whose length the listing itself gives (four reads a node, three for
    a root entry), and the keyword pass after it."""
    calls = clean.calls
    fixed = ["print_application"] * 3 + ["open_catalog"] * 2 + ["print_catalog"] * 3 + ["check"]
    steps = fixed[:len(calls)]
    if len(calls) <= len(fixed):
        return steps
    lines = clean.stdout.splitlines()
    nodes = sum(1 for line in lines if line.startswith("Media Set Index: "))
    roots = sum(1 for line in lines if line == "Media Set Parent: None")
    names = [i for i in range(len(fixed), len(calls)) if operation(calls[i]) == NAME.kSetName]
    if not names:
        return steps + ["load"] * (len(calls) - len(fixed))
    listing_start = names[0] - 1 if nodes else names[0]
    pass_start = listing_start + 4 * nodes - roots
    return (steps + ["load"] * (listing_start - len(fixed)) + ["print_tree"] * (pass_start - listing_start) +
            ["add_keywords"] * (len(calls) - pass_start))


def message_of(result):
    """The run's one message, or None; more than one line is itself a fault."""
    lines = result.stderr.splitlines()
    if len(lines) > 1:
        return "<several lines: %r>" % result.stderr
    return lines[0] if lines else None


def keyword_lists(catalog):
    return [item.get("keywords") or "" for item in catalog.get("items", [])]


def grown_by_whole_keywords(old, new):
    """True when keyword list `new` is `old` with nothing taken away: the same,
    or whole keywords added at its end."""
    return new == old or old == "" or new.startswith(old + ";")


def list_problems(original, clean, final, spared=()):
    """Every saved keyword list is the original, the clean run's list, or one in
    between that ends where a keyword ends. `spared` items are those whose
    list the host itself reported wrongly (a null list for a full one)."""
    problems = []
    if len(final) != len(original):
        return ["the catalog has %d items instead of %d" % (len(final), len(original))]
    for position, (before, after, got) in enumerate(zip(original, clean, final)):
        if position in spared or got in (before, after):
            continue
        if not (got.startswith(before) and after.startswith(got) and after[len(got)] == ";"):
            problems.append("item %d: keyword list %r is neither %r, nor %r, nor between them" %
                            (position + 1, got, before, after))
    return problems


class Check:
    """Collects what a faulted run broke, each with the run's description."""

    def __init__(self, where):
        self.where = where
        self.problems = []

    def require(self, condition, what):
        if not condition:
            self.problems.append("%s: %s" % (self.where, what))
        return condition


def check_sound(check, result, expect_released=True):
    """No crash, no hang, and every reference given back."""
    if not check.require(not result.timed_out, "the run did not end (hang)"):
        return False
    if not check.require(result.signal is None, "the run crashed with signal %s" % result.signal):
        return False
    # Without memory the host may not get to write its last line; if it does,
    # every reference must be back.
    last = result.last_trace_line
    if expect_released or last.startswith("references held by clients:"):
        check.require(last in ("", RELEASED_ALL), "references were left: %r" % last)
    try:
        result.catalog()
    except ValueError as error:
        check.require(False, "the catalog file is no longer JSON: %s" % error)
        return False
    return True


def stdout_with_one_cut(clean_stdout, stdout):
    """True when `stdout` is the clean output with one run of lines left out
    (a print step that failed) or cut off at the end (a step that stopped)."""
    clean, got = clean_stdout.splitlines(True), stdout.splitlines(True)
    prefix = 0
    while prefix < min(len(clean), len(got)) and clean[prefix] == got[prefix]:
        prefix += 1
    rest = got[prefix:]
    return not rest or clean[len(clean) - len(rest):] == rest
