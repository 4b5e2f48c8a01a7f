#!/usr/bin/env python3
"""Benchmarks, each figure beside a baseline measured in the same run:
- the stripped size of both stubs against the 384 KiB budget (and the 128 KiB aim);
- the time of a whole run of a built launcher that loads its configuration
  and returns, against a trivial Windows program, both started the same way
  under the same persistent wineserver.
Writes build/bench/results.md and prints it. Never fails on a number."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
import wine  # noqa: E402

RUNS = int(os.environ.get("BENCH_RUNS", "20"))
BUDGET, AIM = 384 * 1024, 128 * 1024


def timed_runs(session, program, temp_dir):
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        code, _, _ = session.run(program, "", temp_dir, timeout=60)
        times.append(time.perf_counter() - start)
        if code != 0:
            raise RuntimeError(f"{program} exited with {code}")
    return statistics.median(times) * 1000, min(times) * 1000


def main():
    build = os.path.join(ROOT, "build")
    out = os.path.join(build, "bench")
    os.makedirs(out, exist_ok=True)
    rows = ["| figure | value | baseline | ratio |", "|---|---|---|---|"]
    for name in ("launcher.exe", "launcher64.exe"):
        size = os.path.getsize(os.path.join(ROOT, "dist", name))
        rows.append(f"| {name} stripped size | {size / 1024:.1f} KiB | budget {BUDGET // 1024} KiB "
                    f"(aim {AIM // 1024} KiB) | {size / BUDGET:.2f} of budget |")

    session = wine.WineSession(build, os.path.join(build, "win32", "spawn.exe"),
                               os.path.join(build, "win64", "spawn.exe"))
    try:
        temp_dir = tempfile.mkdtemp(dir=out)
        for bits, stub in (("32", "launcher.exe"), ("64", "launcher64.exe")):
            trivial = os.path.join(build, f"win{bits}", "trivial.exe")
            if session.run(trivial, timeout=30)[0] != 0:
                rows.append(f"| {stub} start | not run: {bits}-bit programs cannot run here | | |")
                continue
            installer = os.path.join(out, f"bench-{bits}.exe")
            subprocess.run([os.path.join(ROOT, "dist", "ltrbuild"), "build",
                            os.path.join(ROOT, "demo", "manifest.json"), "-o", installer,
                            "--stub", os.path.join(ROOT, "dist", stub)], check=True, capture_output=True)
            launcher_median, launcher_best = timed_runs(session, installer, temp_dir)
            trivial_median, trivial_best = timed_runs(session, trivial, temp_dir)
            rows.append(f"| {stub}: whole run, configuration loaded (median of {RUNS}) | "
                        f"{launcher_median:.0f} ms (best {launcher_best:.0f}) | trivial program "
                        f"{trivial_median:.0f} ms (best {trivial_best:.0f}) | "
                        f"{launcher_median / trivial_median:.2f} |")
    finally:
        session.stop()
    table = "\n".join(rows)
    with open(os.path.join(out, "results.md"), "w") as f:
        f.write(table + "\n")
    print(table)
    return 0


if __name__ == "__main__":
    sys.exit(main())
