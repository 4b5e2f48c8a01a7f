#!/usr/bin/env python3
"""Builds the demo installer from demo/manifest.json with the builder, with
a small runtime tree of the test runtime included as "jre.tar.gz", shows
what the builder wrote, runs it under Wine with arguments outside ASCII,
and prints what happened: the exit code, the launcher's log, the work
directory and what the Java side received."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
import runtimes  # noqa: E402
import wine  # noqa: E402

ARGUMENTS = '--user "Grüße aus Köln" 東京 Ж'


def build_installer(out_dir, build):
    with open(os.path.join(ROOT, "demo", "manifest.json"), encoding="utf-8") as f:
        manifest = json.load(f)
    demo_dir = os.path.join(ROOT, "demo")
    manifest["files"] = [os.path.join(demo_dir, name) for name in manifest["files"]]
    manifest["javaBlock"] = os.path.join(demo_dir, manifest["javaBlock"])
    # The runtime the installer carries: the 64-bit test runtime, packed by GNU tar and gzip.
    manifest["files"].append(runtimes.make_archive({}, build, "64", out_dir))
    path = os.path.join(out_dir, "manifest.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(manifest, f, ensure_ascii=False, indent=1)
    installer = os.path.join(out_dir, "demo-setup.exe")
    builder = os.path.join(ROOT, "dist", "ltrbuild")
    subprocess.run([builder, "build", path, "-o", installer, "--stub", os.path.join(ROOT, "dist", "launcher64.exe")],
                   check=True)
    subprocess.run([builder, "inspect", installer], check=True)
    return installer


def show_work_directory(path):
    print(f"\nwork directory {wine.windows_path(path)}:")
    for folder, directories, files in os.walk(path):
        directories.sort()
        for name in sorted(files):
            full = os.path.join(folder, name)
            print(f"  {os.path.relpath(full, path):28} {os.path.getsize(full):8} bytes")


def show_java_side(report):
    print("\n== what the Java side received (the test runtime's report)")
    with open(report, encoding="ascii") as f:
        events = [json.loads(line) for line in f]
    for event in events:
        if event["event"] == "option":
            print(f"  VM option {event['index']}: {event['optionString']}")
        if event["event"].startswith("CallStaticVoidMethod") and event.get("method") == "main":
            print(f"  {event['class']}.main received:")
            for number, argument in enumerate(event["args"]):
                print(f"    {number}: {argument}")


def main():
    out_dir = os.path.join(ROOT, "build", "demo")
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    build = os.path.join(ROOT, "build")
    print("== building the demo installer")
    installer = build_installer(out_dir, build)
    scenario = os.path.join(out_dir, "scenario.txt")
    with open(scenario, "w") as f:
        f.write("report=report.jsonl\n")

    session = wine.WineSession(build, os.path.join(build, "win32", "spawn.exe"),
                               os.path.join(build, "win64", "spawn.exe"))
    try:
        temp_dir = tempfile.mkdtemp(prefix="temp-", dir=out_dir)
        print(f"\n== running {os.path.basename(installer)} {ARGUMENTS} under Wine "
              f"(temporary directory {wine.windows_path(temp_dir)})")
        code, stdout, stderr = session.run(installer, ARGUMENTS, temp_dir,
                                           {"LANTOR_LOG": "yes", "LANTOR_TEST_SCENARIO": wine.windows_path(scenario)},
                                           timeout=60)
    finally:
        session.stop()
    print(f"exit code: {code}")
    for name, data in (("standard output", stdout), ("error stream", stderr)):
        if data:
            print(f"{name}:\n{data.decode('cp1252', 'replace')}")
    for name in sorted(os.listdir(temp_dir)):
        path = os.path.join(temp_dir, name)
        if os.path.isdir(path):
            show_work_directory(path)
            continue
        with open(path, "rb") as f:
            text = f.read().decode("cp1252", "replace")
        if text.startswith("Started executable"):
            print(f"\nlog {wine.windows_path(path)} (kept because LANTOR_LOG=yes):")
            print(text.replace("\r\n", "\n").rstrip())
    show_java_side(os.path.join(out_dir, "report.jsonl"))
    return code


if __name__ == "__main__":
    sys.exit(main())
