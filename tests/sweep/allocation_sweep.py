#!/usr/bin/env python3
"""The allocation-failure sweep: runs quillfen_failing_allocations over a
catalog, counts the allocations of a clean run, then fails the nth of them for
every n, in two ways (only the nth fails; every one from the nth on fails):

- Quillfen's own allocations, with the host stand-in's spared: each step must
  end with E_OUTOFMEMORY at its own boundary, with the driver's message for
  that step (or none, where the run has none: the arguments, the path check),
  every reference given back, no keyword list shortened, and a clean rerun
  must converge to the clean run's catalog.
- every allocation of the process, the stand-in's included: nothing may
  crash or hang, the catalog file stays valid, and no keyword list is lost.

  allocation_sweep.py QUILLFEN_FAILING_ALLOCATIONS CATALOG...
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from posix_runs import check_convergence, sweep_main, without_faults  # noqa: E402
from sweep_oracle import (E_OUTOFMEMORY, MESSAGES, PRINT_STEPS, STEP_OF_MESSAGE, STEPS, Check,  # noqa: E402
                          check_sound, keyword_lists, list_problems, message_of, steps_of_calls,
                          stdout_with_one_cut)


def failing(runs, n, mode, host):
    report = os.path.join(runs.work, "allocations.txt")
    env = {"QF_FAIL_ALLOCATION": str(n), "QF_FAIL_MODE": mode, "QF_FAIL_IN_HOST": "1" if host else "0",
           "QF_ALLOCATION_REPORT": report}
    result = runs.run(runs.original, env=env)
    counted, failed = 0, 0
    if os.path.exists(report):
        with open(report) as handle:
            counted, failed = (int(field) for field in handle.read().split())
        os.remove(report)
    return result, counted, failed


def step_range(clean, steps, result):
    """The steps the failure can have happened in: the calls the faulted run
    shares with the clean run end in the middle of one step or between two."""
    shared = 0
    while shared < min(len(result.calls), len(clean.calls)) and result.calls[shared] == clean.calls[shared]:
        shared += 1
    low = STEPS.index(steps[shared - 1]) if shared else 0
    high = STEPS.index(steps[shared]) if shared < len(steps) else len(STEPS) - 1
    return shared, low, high


def skips_only_print_reads(clean_calls, steps, calls):
    """True when `calls` are the clean calls with one run of print reads left out."""
    left_out = len(clean_calls) - len(calls)
    if left_out < 0:
        return False
    for start in range(len(calls) + 1):
        if (calls[:start] == clean_calls[:start] and calls[start:] == clean_calls[start + left_out:] and
                all(steps[position] in PRINT_STEPS for position in range(start, start + left_out))):
            return True
    return False


def check_own_failure(check, runs, clean, steps, result):
    """One of Quillfen's own allocations failed, once."""
    shared, low, high = step_range(clean, steps, result)
    message = message_of(result)
    if (message is None and message_of(clean) is not None and result.exit_value == clean.exit_value and
            result.stdout == clean.stdout and result.calls == clean.calls):
        return  # the memory for the message itself was missing; the exit value still tells
    if result.exit_value == clean.exit_value and message == message_of(clean):
        # Only a print step can fail without ending the run; it leaves out the rest of its lines.
        check.require(stdout_with_one_cut(clean.stdout, result.stdout),
                      "the report is not the clean one with the rest of a block left out:\n" + result.stdout)
        check.require(skips_only_print_reads(clean.calls, steps, result.calls),
                      "a failed print step skipped more than its own reads")
        check.require(without_faults(result.catalog()) == without_faults(clean.catalog()),
                      "a failed print step changed what the keyword pass wrote")
        return
    check.require(result.exit_value == runs.exit_of(E_OUTOFMEMORY),
                  "exit value %s, expected that of E_OUTOFMEMORY" % result.exit_value)
    if message is None:
        # The two steps without a message: decoding the arguments and copying the path for the check.
        check.require(shared == 0 or low <= STEPS.index("check") <= high,
                      "no message, but the failure came in the steps %s to %s" % (STEPS[low], STEPS[high]))
    elif check.require(message in STEP_OF_MESSAGE, "message %r" % message):
        check.require(low <= STEPS.index(STEP_OF_MESSAGE[message]) <= high,
                      "message %r, but the failure came in the steps %s to %s" % (message, STEPS[low], STEPS[high]))
    check.require(result.calls == clean.calls[:shared], "the run went on after the step that failed")


def sweep_catalog(runs, name):
    clean = runs.run(runs.original)
    setup = Check("%s, clean run" % name)
    if not check_sound(setup, clean):
        return setup.problems, 0
    steps = steps_of_calls(clean)
    original_lists, clean_lists = keyword_lists(runs.original), keyword_lists(clean.catalog())
    problems, count = [], 0
    for host in (False, True):
        _, total, _ = failing(runs, 0, "once", host)
        for mode in ("once", "from"):
            for n in range(1, total + 1):
                count += 1
                check = Check("%s, allocation %d of %d %s%s" % (name, n, total, "failing" if mode == "once"
                                                                  else "and all after it failing",
                                                                  ", host's included" if host else ""))
                result, _, failed = failing(runs, n, mode, host)
                if not check_sound(check, result, expect_released=not host):
                    problems += check.problems
                    continue
                check.require(failed > 0, "allocation %d never came: the runs are not repeatable" % n)
                for problem in list_problems(original_lists, clean_lists, keyword_lists(result.catalog())):
                    check.require(False, problem)
                if host:
                    for line in result.stderr.splitlines():
                        check.require(line in MESSAGES.values() or line.startswith("lumora-host: "),
                                      "unexpected line on standard error: %r" % line)
                else:
                    if mode == "once":
                        check_own_failure(check, runs, clean, steps, result)
                    else:
                        message = message_of(result)
                        check.require(message is None or message in STEP_OF_MESSAGE, "message %r" % message)
                        check.require(result.exit_value == runs.exit_of(E_OUTOFMEMORY) or not result.stderr,
                                      "exit value %s with a message" % result.exit_value)
                    check_convergence(check, runs, clean, result)
                problems += check.problems
    return problems, count


def main():
    return sweep_main(__doc__, sweep_catalog, "quillfen-alloc-", "failed allocations")


if __name__ == "__main__":
    sys.exit(main())
