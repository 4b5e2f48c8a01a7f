#!/usr/bin/env python3
"""End-to-end cases under Wine. Each case in tests/wine/cases/*.json names a
payload (a builder manifest and the files it includes), how the built file
is damaged, the environment and command tail of the run, and what must hold
afterwards: exit code, exact standard output and error text, the log's
lines, whether the log was kept, and the message box a dialog case shows.
The keys are listed in schema.py (--keys prints them). Every case runs
against every stub this machine can run."""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import runner  # noqa: E402
import schema  # noqa: E402
import wine  # noqa: E402
from checks import ANSI  # noqa: E402
from paths import Paths  # noqa: E402


def runnable_stubs(session, paths):
    """launcher.exe runs only where this machine executes 32-bit programs."""
    stubs = []
    code, _, _ = session.run(paths.program(32, "trivial.exe"), timeout=30)
    if code == 0:
        stubs.append(os.path.join(paths.dist, "launcher.exe"))
    else:
        print("32-bit programs cannot run here: launcher.exe is checked statically only")
    stubs.append(os.path.join(paths.dist, "launcher64.exe"))
    return stubs


def windows_test_programs(paths):
    """The Windows unit test programs, as the builds list them."""
    programs = []
    for bits in ("32", "64"):
        with open(paths.program(bits, "windows_tests.txt"), encoding="utf-8") as f:
            programs += [line.strip() for line in f if line.strip()]
    return programs


def run_windows_tests(session, programs, stubs):
    """Each program prints its own 'N passed, N failed' line; i686 programs
    run only where launcher.exe does."""
    passed = failed = 0
    can_run_32bit = any(os.path.basename(s) == "launcher.exe" for s in stubs)
    for program in programs:
        if wine.pe_machine(program) == 0x14C and not can_run_32bit:
            continue
        code, stdout, stderr = session.run(os.path.abspath(program), timeout=240)
        text = stdout.decode(ANSI, "replace")
        print(f"{program}: " + text.strip().replace("\n", "\n    "), flush=True)
        if code == 0:
            passed += 1
        else:
            failed += 1
            print(f"FAIL {program}: exit code {code} {stderr.decode(ANSI, 'replace')}")
    return passed, failed


def in_session(paths, cases, stubs, display=None, prefix="wineprefix", drives=True):
    spawn = (paths.program(32, "spawn.exe"), paths.program(64, "spawn.exe"))
    session = wine.WineSession(paths.build, *spawn, display=display, prefix=prefix,
                               drives=paths.drives if drives else None)
    try:
        return runner.run_group(paths, session, cases, stubs, display)
    finally:
        session.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--dist", default="dist")
    parser.add_argument("--build", default="build")
    parser.add_argument("--cases", default=os.path.join(os.path.dirname(__file__), "cases", "*.json"))
    parser.add_argument("-k", dest="selected", help="only cases whose name matches this pattern")
    parser.add_argument("--windows-tests", action="store_true",
                        help="first run the Windows unit test programs the builds list, in the same Wine session")
    parser.add_argument("--keys", action="store_true", help="print every case key with its type and meaning")
    args = parser.parse_args()
    if args.keys:
        print("\n".join(schema.describe()))
        return 0
    paths = Paths(args.dist, args.build)
    try:
        cases = schema.load_cases(args.cases, args.selected)
    except schema.SchemaError as e:
        print(f"cannot load the cases: {e}")
        print("wine cases: 0 passed, 1 failed")
        return 1
    os.makedirs(paths.drive_t, exist_ok=True)
    # A case whose run may end the prefix's session (the restart request)
    # gets a prefix of its own.
    own = [c for c in cases if c.get("prefixOfItsOwn")]
    dialog = [c for c in cases if c.get("gui") or c.get("display")]
    plain = [c for c in cases if c not in own and c not in dialog]

    spawn = (paths.program(32, "spawn.exe"), paths.program(64, "spawn.exe"))
    session = wine.WineSession(paths.build, *spawn, drives=paths.drives)
    try:
        stubs = runnable_stubs(session, paths)
        programs = windows_test_programs(paths) if args.windows_tests else []
        passed, failed = run_windows_tests(session, programs, stubs)
        print("Wine cases run on: " + ", ".join(os.path.basename(s) for s in stubs), flush=True)
        p, f = runner.run_group(paths, session, plain, stubs)
        passed, failed = passed + p, failed + f
    finally:
        session.stop()
    if dialog:
        display = wine.Xvfb()
        try:
            p, f = in_session(paths, dialog, stubs, display.display)
            passed, failed = passed + p, failed + f
        finally:
            display.stop()
    if own:
        p, f = in_session(paths, own, stubs, prefix="wineprefix-own", drives=False)
        passed, failed = passed + p, failed + f
    print(f"wine cases: {passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
