#!/usr/bin/env python3
"""Runs every test: host unit tests (plain and under ASan/UBSan), the JNI
launch and the Java side's runtime library on the machine's OpenJDK, the static
checks of both stubs and of the manifest schema, the Windows unit tests and the end-to-end cases under
Wine, and a short fuzzing run. Ends with one line of totals."""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FUZZ_SECONDS = os.environ.get("FUZZ_SECONDS", "30")


def step(title, command, counts):
    """Runs one suite; counts(output) gives (passed, failed) from its output."""
    print(f"== {title}", flush=True)
    result = subprocess.run(command, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            errors="replace")
    output = result.stdout
    passed, failed = counts(output)
    if result.returncode != 0 and failed == 0:
        failed = 1
    shown = output if (result.returncode != 0 or failed) else "\n".join(output.splitlines()[-3:])
    print(shown.rstrip(), flush=True)
    return passed, failed


def gtest_counts(output):
    passed = re.search(r"\[  PASSED  \] (\d+) test", output)
    failed = re.search(r"\[  FAILED  \] (\d+) test", output)
    return int(passed.group(1)) if passed else 0, int(failed.group(1)) if failed else 0


def plain_counts(output):
    """The suite's own closing line of totals."""
    totals = re.findall(r"(\d+) passed, (\d+) failed", output)
    return (int(totals[-1][0]), int(totals[-1][1])) if totals else (0, 0)


def fuzz_counts(output):
    """One passed target per 'no crash' line."""
    return output.count("no crash"), 0


def main():
    totals = [0, 0]
    steps = [
        ("host unit tests", ["build/host/unit_tests"], gtest_counts),
        ("host unit tests under ASan/UBSan", ["build/host-san/unit_tests"], gtest_counts),
        ("JNI launch against the machine's OpenJDK", ["build/host/jni_tests"], gtest_counts),
        ("Java side: the runtime library and the sample on the machine's OpenJDK", ["java/test.sh"], plain_counts),
        ("static checks of the stubs", [sys.executable, "tests/static/check_stubs.py"], plain_counts),
        ("layers of the source tree", [sys.executable, "tests/static/check_layers.py"], plain_counts),
        # Debian's interpreter, which has python3-jsonschema.
        ("the manifest schema against the builder", ["/usr/bin/python3", "tests/static/check_manifest_schema.py"],
         plain_counts),
        ("Wine: Windows unit tests and end-to-end cases",
         [sys.executable, "tests/wine/run_cases.py", "--windows-tests"], plain_counts),
        ("Wine: the Windows builder against the Linux one", [sys.executable, "tests/wine/check_windows_builder.py"],
         plain_counts),
        (f"fuzzing the parsers ({FUZZ_SECONDS}s)", ["scripts/fuzz.sh", FUZZ_SECONDS], fuzz_counts),
    ]
    for title, command, counts in steps:
        passed, failed = step(title, command, counts)
        totals[0] += passed
        totals[1] += failed
    print(f"total: {totals[0]} passed, {totals[1]} failed")
    return 0 if totals[1] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
