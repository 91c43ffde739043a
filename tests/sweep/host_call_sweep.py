#!/usr/bin/env python3
"""The host-call fault sweep: runs a catalog once cleanly, learns its host
calls from the trace, then fails every call position in turn (and, where the
call gives a string or an object, makes it succeed with null instead), and
holds every run to the properties of sweep_oracle.

  host_call_sweep.py QUILLFEN CATALOG...

Prints one line per catalog, and every broken property with its catalog,
position and call; exits non-zero if any.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from host_operations import NAME, NULLABLE  # noqa: E402
from posix_runs import check_convergence, sweep_main  # noqa: E402
from sweep_oracle import (E_FAIL, E_POINTER, MESSAGES, MISMATCH, PRINT_STEPS, Check, check_sound,  # noqa: E402
                          keyword_lists, list_problems, message_of, operation, steps_of_calls,
                          stdout_with_one_cut)

FAILURE = 0x80010108  # the host went away: the commonest real failure of a call

# A null from these is the host's answer, not a failure: no top-level parent,
# an empty name, no items, an empty list. The run goes on with that answer.
ANSWERS = {NAME.kSetParent, NAME.kSetName, NAME.kSetMediaItems, NAME.kKeywordsGet}
NULL_FAILURES = {  # operation -> (HRESULT, step whose message is printed)
    NAME.kCreateInstance: (E_POINTER, "open_application"),
    NAME.kApplicationActiveCatalog: (E_FAIL, "open_catalog"),
    NAME.kCatalogMediaSets: (E_POINTER, "load"),
    NAME.kSetsItem: (E_POINTER, "load"),
    NAME.kItemsItem: (E_POINTER, "add_keywords"),
    NAME.kItemAnnotations: (E_POINTER, "add_keywords"),
}


def positions(clean):
    """(operation, nth, step, call) for every host call of the clean run,
    the creation of the application object first."""
    counts = {}
    result = [(NAME.kCreateInstance, 1, "open_application", NAME.kCreateInstance)]
    for call, step in zip(clean.calls, steps_of_calls(clean)):
        name = operation(call)
        counts[name] = counts.get(name, 0) + 1
        result.append((name, counts[name], step, call))
    return result


def expect_outcome(check, runs, clean, result, hresult, step):
    """The exit value and message that the failing step prescribes."""
    message = message_of(result)
    if step in PRINT_STEPS:
        check.require(result.exit_value == clean.exit_value and message == message_of(clean),
                      "the run ended unlike the clean run: exit %s, message %r" % (result.exit_value, message))
        return
    wanted = MESSAGES.get(step)
    check.require(result.exit_value == runs.exit_of(hresult),
                  "exit value %s, expected %s for 0x%08X" % (result.exit_value, runs.exit_of(hresult), hresult))
    check.require(message == wanted, "message %r, expected %r" % (message, wanted))


def sweep_catalog(runs, name):
    original_lists = keyword_lists(runs.original)
    clean = runs.run(runs.original)
    problems = []
    setup = Check("%s, clean run" % name)
    if not check_sound(setup, clean):
        return setup.problems, 0
    clean_lists = keyword_lists(clean.catalog())
    count = 0
    for op, nth, step, call in positions(clean):
        kinds = [("hr", FAILURE)] + ([("null", True)] if op in NULLABLE else [])
        for kind, value in kinds:
            count += 1
            check = Check("%s, call %d of %s (%s), %s" % (name, nth, op, call, "null" if kind == "null" else
                                                           "0x%08X" % value))
            result = runs.run(runs.original, [{"call": op, "nth": nth, kind: "0x%08X" % value if kind == "hr"
                                               else True}])
            if not check_sound(check, result):
                problems += check.problems
                continue
            final_lists = keyword_lists(result.catalog())
            if kind == "hr":
                expect_outcome(check, runs, clean, result, value, step)
                check.require(stdout_with_one_cut(clean.stdout, result.stdout)
                              if step in PRINT_STEPS else clean.stdout.startswith(result.stdout),
                              "standard output is not what the clean run wrote up to the failure:\n" + result.stdout)
                for problem in list_problems(original_lists, clean_lists, final_lists):
                    check.require(False, problem)
                check_convergence(check, runs, clean, result)
            elif op in ANSWERS:
                if op == NAME.kSetParent:
                    # A set the host calls top-level changes the hierarchy, and so the end.
                    message = message_of(result)
                    check.require(message in (None,) + tuple(MESSAGES.values()), "message %r" % message)
                else:
                    expect_outcome(check, runs, clean, result, 0, "print_tree")
                spared = set()
                if op == NAME.kKeywordsGet:
                    # The host said this item's list is empty; it gets the keyword alone.
                    item = call.split(" ", 1)[0].split(":", 1)[1]
                    spared = {i for i, entry in enumerate(runs.original.get("items", []))
                              if str(entry.get("id")) == item}
                for position, (before, got) in enumerate(zip(original_lists, final_lists)):
                    check.require(position in spared or got.startswith(before),
                                  "item %d: keyword list %r lost %r" % (position + 1, got, before))
            else:
                if op in NULL_FAILURES:
                    hresult, failing = NULL_FAILURES[op]
                    expect_outcome(check, runs, clean, result, hresult, failing)
                elif step == "open_catalog":
                    expect_outcome(check, runs, clean, result, E_FAIL, "open_catalog")
                elif step == "check":
                    check.require(result.exit_value == runs.exit_of(E_FAIL) and message_of(result) == MISMATCH,
                                  "a null path passed the active-catalog check")
                else:
                    expect_outcome(check, runs, clean, result, 0, step)
                for problem in list_problems(original_lists, clean_lists, final_lists):
                    check.require(False, problem)
                check_convergence(check, runs, clean, result)
            problems += check.problems
    return problems, count


def main():
    return sweep_main(__doc__, sweep_catalog, "quillfen-sweep-", "faulted runs")


if __name__ == "__main__":
    sys.exit(main())
