#!/usr/bin/env python3
"""Builds the demo installer from demo/manifest.json with the builder,
shows what the builder wrote, runs it under Wine and prints what happened:
the exit code, the launcher's log and the files it extracted."""
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

    build = os.path.join(ROOT, "build")
    session = wine.WineSession(build, os.path.join(build, "win32", "spawn.exe"),
                               os.path.join(build, "win64", "spawn.exe"))
    try:
        temp_dir = tempfile.mkdtemp(prefix="demo-temp-", dir=out_dir)
        print(f"\n== running {os.path.basename(installer)} under Wine (temporary directory {wine.windows_path(temp_dir)})")
        code, stdout, stderr = session.run(installer, "", temp_dir, {"LANTOR_LOG": "yes"}, timeout=60)
    finally:
        session.stop()
    print(f"exit code: {code}")
    for name, data in (("standard output", stdout), ("error stream", stderr)):
        if data:
            print(f"{name}:\n{data.decode('cp1252', 'replace')}")
    # The log first, then the work directory it names.
    for name in sorted(os.listdir(temp_dir), key=lambda n: os.path.isdir(os.path.join(temp_dir, n))):
        path = os.path.join(temp_dir, name)
        with open(path, "rb") as f:
            text = f.read().decode("cp1252", "replace")
        if text.startswith("Started executable"):
            print(f"log {wine.windows_path(path)} (kept because LANTOR_LOG=yes):")
            print(text.replace("\r\n", "\n").rstrip())
        elif os.path.isdir(path):
            print(f"\nwork directory {wine.windows_path(path)}:")
            for entry in sorted(os.listdir(path)):
                print(f"  {entry:24} {os.path.getsize(os.path.join(path, entry)):8} bytes")
    return code


if __name__ == "__main__":
    sys.exit(main())
