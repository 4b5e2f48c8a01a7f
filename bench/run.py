#!/usr/bin/env python3
"""Benchmarks, each figure beside a baseline measured in the same run:
- the stripped size of both stubs against the 384 KiB budget (and the 128 KiB aim);
- the whole start of a built launcher to the Java side's main (the demo
  installer with its included runtime, and one that finds an installed
  runtime), against a trivial Windows program, both started the same way
  under the same persistent wineserver;
- the extraction of several hundred MB of included files, against
  CopyFileA of the same bytes and a plain read of them;
- the unpacking of a runtime archive of realistic size (thousands of files,
  over 100 MB unpacked), against GNU tar -xzf of the same archive;
- the download of a runtime archive from a loopback HTTP server, against
  curl fetching the same file from the same server.
Writes build/bench/results.md and prints it. Never fails on a number."""
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
import http_server  # noqa: E402
import runtimes  # noqa: E402
import wine  # noqa: E402

RUNS = int(os.environ.get("BENCH_RUNS", "20"))
EXTRACT_MB = int(os.environ.get("BENCH_EXTRACT_MB", "300"))
EXTRACT_RUNS = int(os.environ.get("BENCH_EXTRACT_RUNS", "3"))
UNPACK_FILES = int(os.environ.get("BENCH_UNPACK_FILES", "4000"))
DOWNLOAD_MB = int(os.environ.get("BENCH_DOWNLOAD_MB", "200"))
BUDGET, AIM = 384 * 1024, 128 * 1024


def timed_runs(session, program, temp_dir, env=None):
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        code, _, _ = session.run(program, "", temp_dir, env, timeout=60)
        times.append(time.perf_counter() - start)
        if code != 0:
            raise RuntimeError(f"{program} exited with {code}")
    return statistics.median(times) * 1000, min(times) * 1000


def build_installer(manifest, installer, stub):
    subprocess.run([os.path.join(ROOT, "dist", "ltrbuild"), "build", manifest, "-o", installer, "--stub", stub],
                   check=True, capture_output=True)


def build_large_installer(out, stub):
    """An installer whose included files hold EXTRACT_MB of random bytes."""
    files_dir = os.path.join(out, "large")
    os.makedirs(files_dir, exist_ok=True)
    names = []
    for i in range(3):
        path = os.path.join(files_dir, f"part{i}.bin")
        size = EXTRACT_MB * 1024 * 1024 // 3
        if not os.path.exists(path) or os.path.getsize(path) != size:
            with open(path, "wb") as f:
                f.write(random.Random(i).randbytes(size))
        names.append(path)
    manifest = os.path.join(out, "large.json")
    with open(manifest, "w") as f:
        json.dump({"files": names}, f)
    installer = os.path.join(out, "large.exe")
    build_installer(manifest, installer, stub)
    return installer


def median_seconds(action, cleanup):
    times = []
    for _ in range(EXTRACT_RUNS):
        cleanup()
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    cleanup()
    return statistics.median(times)


def extraction_rows(session, out, bits, stub):
    installer = build_large_installer(out, os.path.join(ROOT, "dist", stub))
    io_bench = os.path.join(ROOT, "build", f"win{bits}", "io_bench.exe")
    scratch = scratch_directory(out)
    temp_dir = os.path.join(scratch, "extract-temp")
    copy_target = os.path.join(scratch, "copy-target.bin")
    os.makedirs(temp_dir, exist_ok=True)

    def clean():
        shutil.rmtree(temp_dir, ignore_errors=True)
        os.makedirs(temp_dir)
        if os.path.exists(copy_target):
            os.remove(copy_target)
        # Dirty pages of the last run would otherwise be written back
        # during the next one.
        os.sync()
        time.sleep(1)

    def expect_zero(result):
        if result[0] != 0:
            raise RuntimeError(f"exit code {result[0]}")

    def expect_no_runtime(result):
        # Quiet and without a runtime, the launcher ends with 83 once the files are out.
        if result[0] != 83:
            raise RuntimeError(f"exit code {result[0]}")

    extract = median_seconds(lambda: expect_no_runtime(session.run(installer, "-q", temp_dir, timeout=600)), clean)
    copy = median_seconds(lambda: expect_zero(session.run(
        io_bench, f'copy "{wine.windows_path(installer)}" "{wine.windows_path(copy_target)}"', timeout=600)), clean)
    read = median_seconds(lambda: expect_zero(session.run(
        io_bench, f'read "{wine.windows_path(installer)}"', timeout=600)), clean)
    size_mb = os.path.getsize(installer) / (1024 * 1024)
    shutil.rmtree(os.path.dirname(temp_dir) if scratch != out else temp_dir, ignore_errors=True)
    return [
        f"| {stub}: extraction of {size_mb:.0f} MB (median of {EXTRACT_RUNS}) | {extract:.2f} s "
        f"({size_mb / extract:.0f} MB/s) | CopyFileA {copy:.2f} s | {extract / copy:.2f} of the copy |",
        f"| {stub}: extraction against a plain read of the same file | {extract:.2f} s | read {read:.2f} s | "
        f"{extract / read:.2f} of the read |",
    ]


def scratch_directory(out):
    # Targets in memory where the machine has a tmpfs: the disk's writeback
    # of earlier runs would otherwise dominate every figure.
    return "/dev/shm/lantor-bench" if os.path.isdir("/dev/shm") else out


def start_rows(session, out, bits, stub, temp_dir):
    """The demo installer (its runtime included as jre.tar.gz) and an
    installer that finds the test runtime installed, to the Java side's main."""
    scenario = os.path.join(out, "scenario.txt")
    with open(scenario, "w") as f:
        f.write(f"report={os.path.join(out, 'report.jsonl')}\n")
    env = {"LANTOR_TEST_SCENARIO": wine.windows_path(scenario)}
    with open(os.path.join(ROOT, "demo", "manifest.json"), encoding="utf-8") as f:
        demo = json.load(f)
    demo_dir = os.path.join(ROOT, "demo")
    included = dict(demo, files=[os.path.join(demo_dir, n) for n in demo["files"]] +
                    [runtimes.make_archive({}, os.path.join(ROOT, "build"), bits, out)],
                    javaBlock=os.path.join(demo_dir, demo["javaBlock"]))
    installed_home = os.path.join(out, f"installed-{bits}")
    runtimes.lay_out(os.path.join(ROOT, "build"), bits, installed_home)
    installed = {"records": {"mainClass": "com.example.Setup", "windowOnDemand": 1,
                             "jvmSearchSequence": "ELANTOR_TEST_JRE"}}
    rows = []
    trivial = os.path.join(ROOT, "build", f"win{bits}", "trivial.exe")
    for label, manifest, extra in (("included runtime (demo installer)", included, {}),
                                   ("installed runtime, version cached", installed,
                                    {"LANTOR_TEST_JRE": wine.windows_path(installed_home)})):
        path = os.path.join(out, f"start-{bits}.json")
        with open(path, "w", encoding="utf-8") as f:
            json.dump(manifest, f, ensure_ascii=False)
        installer = os.path.join(out, f"start-{bits}.exe")
        build_installer(path, installer, os.path.join(ROOT, "dist", stub))
        os.sync()
        launcher_median, launcher_best = timed_runs(session, installer, temp_dir, dict(env, **extra))
        trivial_median, trivial_best = timed_runs(session, trivial, temp_dir)
        rows.append(f"| {stub}: start to Java main, {label} (median of {RUNS}) | "
                    f"{launcher_median:.0f} ms (best {launcher_best:.0f}) | trivial program "
                    f"{trivial_median:.0f} ms (best {trivial_best:.0f}) | "
                    f"{launcher_median / trivial_median:.2f} |")
    return rows


def unpack_tree(tree):
    """UNPACK_FILES files of 1 to 60 KB in nested directories, half of them
    text (compressible, like class files), half random (like jars)."""
    generator = random.Random(7)
    words = [bytes(generator.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(8)) for _ in range(500)]
    for i in range(UNPACK_FILES):
        folder = os.path.join(tree, "lib", f"module{i % 40}", f"package{i % 7}")
        os.makedirs(folder, exist_ok=True)
        size = generator.randint(1024, 60 * 1024)
        if i % 2:
            data = generator.randbytes(size)
        else:
            data = b" ".join(generator.choice(words) for _ in range(size // 9))
        with open(os.path.join(folder, f"Class{i}.dat"), "wb") as f:
            f.write(data)


def unpack_rows(session, out, bits, stub):
    """An installer that carries a large runtime archive, run quietly to the
    Java side's main, against GNU tar -xzf of that archive on the host."""
    build = os.path.join(ROOT, "build")
    archive_dir = os.path.join(out, f"unpack-{bits}")
    archive = os.path.join(archive_dir, "jre.tar.gz")
    tree = os.path.join(archive_dir, "tree")
    if not os.path.exists(archive):
        shutil.rmtree(archive_dir, ignore_errors=True)
        os.makedirs(tree)
        runtimes.lay_out(build, bits, tree)
        unpack_tree(tree)
        tar = subprocess.run(["tar", "-cf", "-", "-C", tree, "bin", "lib"], check=True, capture_output=True).stdout
        with open(archive, "wb") as f:
            f.write(subprocess.run(["gzip", "-6", "-n", "-c"], input=tar, check=True, capture_output=True).stdout)
    unpacked = sum(os.path.getsize(os.path.join(d, n)) for d, _, names in os.walk(tree) for n in names)
    files = sum(len(names) for _, _, names in os.walk(tree))
    manifest = os.path.join(archive_dir, "manifest.json")
    with open(manifest, "w") as f:
        json.dump({"records": {"mainClass": "com.example.Setup"}, "files": [archive]}, f)
    installer = os.path.join(archive_dir, "unpack.exe")
    build_installer(manifest, installer, os.path.join(ROOT, "dist", stub))
    scratch = scratch_directory(out)
    temp_dir = os.path.join(scratch, "unpack-temp")
    target = os.path.join(scratch, "unpack-target")

    def clean():
        for path in (temp_dir, target):
            shutil.rmtree(path, ignore_errors=True)
            os.makedirs(path)
        os.sync()
        time.sleep(1)

    def run_launcher():
        code = session.run(installer, "-q", temp_dir, timeout=600)[0]
        if code != 0:
            raise RuntimeError(f"exit code {code}")

    launcher = median_seconds(run_launcher, clean)
    gnu = median_seconds(lambda: subprocess.run(["tar", "-xzf", archive, "-C", target], check=True), clean)
    shutil.rmtree(temp_dir, ignore_errors=True)
    shutil.rmtree(target, ignore_errors=True)
    return [f"| {stub}: included runtime of {files} files, {unpacked / 2**20:.0f} MB unpacked "
            f"({os.path.getsize(archive) / 2**20:.0f} MB archive): extraction, unpacking and start "
            f"(median of {EXTRACT_RUNS}) | {launcher:.2f} s | GNU tar -xzf {gnu:.2f} s | {launcher / gnu:.2f} |"]


def download_rows(session, out, bits, stub):
    """The launcher's download code (bench/win/download_bench.cpp: WinINet
    from the system directory, 16 KB reads, the .part file) fetching a
    DOWNLOAD_MB archive from the loopback server, against curl fetching it
    from the same server. Both figures are the transfer alone, as each
    program measures it."""
    scratch = scratch_directory(out)
    os.makedirs(scratch, exist_ok=True)
    served = os.path.join(scratch, "served.bin")
    size = DOWNLOAD_MB * 1024 * 1024
    if not os.path.exists(served) or os.path.getsize(served) != size:
        with open(served, "wb") as f:
            f.write(random.Random(3).randbytes(size))
    target = os.path.join(scratch, "downloaded.bin")
    program = os.path.join(ROOT, "build", f"win{bits}", "download_bench.exe")
    server = http_server.Server(served)
    try:
        url = server.url + "/good"

        def launcher():
            code, stdout, _ = session.run(program, f'"{url}" "{wine.windows_path(target)}"', timeout=600)
            if code != 0 or os.path.getsize(target) != size:
                raise RuntimeError(f"download_bench exited with {code}")
            return float(stdout.decode().strip()) / 1000

        def curl():
            result = subprocess.run(["curl", "-s", "--noproxy", "*", "-o", target, "-w", "%{time_total}", url],
                                    check=True, capture_output=True, text=True)
            if os.path.getsize(target) != size:
                raise RuntimeError("curl fetched a short file")
            return float(result.stdout)

        def median_of(action):
            times = []
            for _ in range(EXTRACT_RUNS):
                if os.path.exists(target):
                    os.remove(target)
                times.append(action())
            os.remove(target)
            return statistics.median(times)

        ours = median_of(launcher)
        theirs = median_of(curl)
    finally:
        server.stop()
    return [f"| {stub}: download of {DOWNLOAD_MB} MB from a loopback server (median of {EXTRACT_RUNS}) | "
            f"{ours:.2f} s ({DOWNLOAD_MB / ours:.0f} MB/s) | curl {theirs:.2f} s ({DOWNLOAD_MB / theirs:.0f} MB/s) | "
            f"{ours / theirs:.2f} |"]


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
        runnable = []
        for bits, stub in (("32", "launcher.exe"), ("64", "launcher64.exe")):
            trivial = os.path.join(build, f"win{bits}", "trivial.exe")
            if session.run(trivial, timeout=30)[0] != 0:
                rows.append(f"| {stub} start | not run: {bits}-bit programs cannot run here | | |")
                continue
            runnable.append((bits, stub))
            rows += start_rows(session, out, bits, stub, temp_dir)
            rows += download_rows(session, out, bits, stub)
        # The large runs come last: their writes must not slow the others.
        for bits, stub in runnable:
            rows += unpack_rows(session, out, bits, stub)
            rows += extraction_rows(session, out, bits, stub)
    finally:
        session.stop()
    table = "\n".join(rows)
    with open(os.path.join(out, "results.md"), "w") as f:
        f.write(table + "\n")
    print(table)
    return 0


if __name__ == "__main__":
    sys.exit(main())
