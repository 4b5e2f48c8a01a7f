#!/usr/bin/env python3
"""Builds the demo installer from demo/manifest.json with the builder,
shows what the builder wrote, runs it under Wine and prints what happened:
the exit code, the launcher's log and the files it extracted."""
import json
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "wine"))
import wine  # noqa: E402


def main():
    out_dir = os.path.join(ROOT, "build", "demo")
    os.makedirs(out_dir, exist_ok=True)
    installer = os.path.join(out_dir, "demo-setup.exe")
    builder = os.path.join(ROOT, "dist", "ltrbuild")
    print("== building the demo installer")
    subprocess.run([builder, "build", os.path.join(ROOT, "demo", "manifest.json"), "-o", installer,
                    "--stub", os.path.join(ROOT, "dist", "launcher64.exe")], check=True)
    subprocess.run([builder, "inspect", installer], check=True)

    # The runtime search comes later: the test stub loads the test runtime
    # by path and shows what the Java side would receive.
    test_installer = os.path.join(out_dir, "demo-setup-test.exe")
    subprocess.run([builder, "build", os.path.join(ROOT, "demo", "manifest.json"), "-o", test_installer,
                    "--stub", os.path.join(ROOT, "build", "win64", "launcher_test.exe")], check=True)
    scenario = os.path.join(out_dir, "scenario.txt")
    with open(scenario, "w") as f:
        f.write("report=report.jsonl\n")
    report = os.path.join(out_dir, "report.jsonl")
    if os.path.exists(report):
        os.remove(report)

    build = os.path.join(ROOT, "build")
    session = wine.WineSession(build, os.path.join(build, "win32", "spawn.exe"),
                               os.path.join(build, "win64", "spawn.exe"))
    try:
        temp_dir = tempfile.mkdtemp(prefix="demo-temp-", dir=out_dir)
        print(f"\n== running {os.path.basename(installer)} under Wine (temporary directory {wine.windows_path(temp_dir)})")
        code, stdout, stderr = session.run(installer, "", temp_dir, {"LANTOR_LOG": "yes"}, timeout=60)
        java_temp = tempfile.mkdtemp(prefix="demo-java-temp-", dir=out_dir)
        session.run(test_installer, "--user-argument", java_temp,
                    {"LANTOR_TEST_SCENARIO": wine.windows_path(scenario),
                     "LANTOR_TEST_JVM": wine.windows_path(os.path.join(build, "win64", "runtime", "jvm.dll"))},
                    timeout=60)
    finally:
        session.stop()
    print(f"exit code: {code}")
    for name, data in (("standard output", stdout), ("error stream", stderr)):
        if data:
            print(f"{name}:\n{data.decode('cp1252', 'replace')}")
    # The log first, then the work directory it names.
    for name in sorted(os.listdir(temp_dir), key=lambda n: os.path.isdir(os.path.join(temp_dir, n))):
        path = os.path.join(temp_dir, name)
        if os.path.isdir(path):
            print(f"\nwork directory {wine.windows_path(path)}:")
            for entry in sorted(os.listdir(path)):
                print(f"  {entry:24} {os.path.getsize(os.path.join(path, entry)):8} bytes")
            continue
        with open(path, "rb") as f:
            text = f.read().decode("cp1252", "replace")
        if text.startswith("Started executable"):
            print(f"log {wine.windows_path(path)} (kept because LANTOR_LOG=yes):")
            print(text.replace("\r\n", "\n").rstrip())
    print("\n== the same installer on the test stub, with the test runtime standing in for Java")
    with open(report, encoding="ascii") as f:
        events = [json.loads(line) for line in f]
    for event in events:
        if event["event"] == "option":
            print(f"  VM option {event['index']}: {event['optionString']}")
        if event["event"].startswith("CallStaticVoidMethod"):
            print(f"  {event['class']}.main received: {event['args']}")
    return code


if __name__ == "__main__":
    sys.exit(main())
