#!/usr/bin/env python3
"""dist/ltrbuild.exe, the builder for Windows, under Wine against
dist/ltrbuild on Linux: for the same manifest and inputs both write the same
bytes, inspect prints the same, and the Windows builder takes paths with
backslashes and drive letters (in the manifest and on its command line),
non-ASCII paths, and its default stub beside itself.

Usage: check_windows_builder.py [--dist dist] [--build build]"""
import argparse
import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import icons  # noqa: E402
import wine  # noqa: E402

MANIFESTS = {
    "records, files and a Java-side block": {
        "codePage": 1252,
        "records": {"launcherType": 1, "errorCaption": "Fehler", "mainClass": "com.example.Setup", "126": "1.8",
                    "includedJreSize": "4096", "-3": 7},
        "wideRecords": {"caption": "Grüße 東京 Ж", "errCorrupted": "The installer file is corrupted."},
        "files": ["payload/setup.jar", {"name": "qrwparams.conf", "path": "conf/params.conf"}],
        "javaBlock": "payload/data.bin"},
    "Cyrillic in code page 1251 and a non-ASCII file name": {
        "codePage": 1251,
        "records": {"errorCaption": "Ошибка", "mainClass": "com.example.Setup"},
        "files": [{"name": "Установка.txt", "path": "payload/Данные.txt"}]},
    "branding with icon, version and execution level": {
        "records": {"mainClass": "com.example.Setup"},
        "files": ["payload/setup.jar"],
        "branding": {"icon": "brand.ico", "productName": "Example Suite", "companyName": "Example Ltd.",
                     "fileVersion": "2.1.0.7", "legalCopyright": "© 2026", "executionLevel": "asInvoker"}},
}
INPUTS = {"payload/setup.jar": b"PK\x03\x04 a jar", "conf/params.conf": b"a=1\n", "payload/data.bin": bytes(range(256)),
          "payload/Данные.txt": "данные\n".encode("utf-8")}


def with_backslashes(manifest, directory):
    """The same manifest as a Windows user writes it: relative paths with
    backslashes, and the Java-side block by an absolute path with a drive."""
    copy = json.loads(json.dumps(manifest))
    def windows(path):
        return path.replace("/", "\\")
    copy["files"] = [windows(f) if isinstance(f, str) else dict(f, path=windows(f["path"])) for f in copy.get("files", [])]
    if "javaBlock" in copy:
        copy["javaBlock"] = wine.windows_path(os.path.join(directory, copy["javaBlock"]))
    if "branding" in copy and "icon" in copy["branding"]:
        copy["branding"]["icon"] = ".\\" + copy["branding"]["icon"]
    return copy


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--dist", default="dist")
    parser.add_argument("--build", default="build")
    args = parser.parse_args()
    dist, build = os.path.abspath(args.dist), os.path.abspath(args.build)
    work = os.path.join(build, "windows-builder")
    shutil.rmtree(work, ignore_errors=True)
    for path, data in INPUTS.items():
        os.makedirs(os.path.dirname(os.path.join(work, path)), exist_ok=True)
        with open(os.path.join(work, path), "wb") as f:
            f.write(data)
    with open(os.path.join(work, "brand.ico"), "wb") as f:
        f.write(icons.icon("3366cc"))
    # The Windows builder's default stub lies beside it, as in dist/.
    tools = os.path.join(work, "Программы")
    os.makedirs(tools)
    shutil.copyfile(os.path.join(dist, "ltrbuild.exe"), os.path.join(tools, "ltrbuild.exe"))
    shutil.copyfile(os.path.join(dist, "launcher.exe"), os.path.join(tools, "launcher.exe"))
    windows_builder = os.path.join(tools, "ltrbuild.exe")

    session = wine.WineSession(build, None, None)
    passed = failed = 0

    def outcome(label, problems):
        nonlocal passed, failed
        if problems:
            failed += 1
            print(f"FAIL {label}: " + "; ".join(problems))
        else:
            passed += 1
            print(f"ok   {label}")

    def run_windows(*arguments):
        result = session.wine(windows_builder, *arguments, timeout=120)
        return result.returncode, result.stdout, result.stderr

    try:
        for number, (label, manifest) in enumerate(MANIFESTS.items()):
            problems = []
            linux_manifest = os.path.join(work, f"linux-{number}.json")
            windows_manifest = os.path.join(work, f"windows-{number}.json")
            with open(linux_manifest, "w", encoding="utf-8") as f:
                json.dump(manifest, f, ensure_ascii=False)
            with open(windows_manifest, "w", encoding="utf-8") as f:
                json.dump(with_backslashes(manifest, work), f, ensure_ascii=False)
            linux_out = os.path.join(work, f"linux-{number}.exe")
            windows_out = os.path.join(work, f"Установка {number}.exe")
            linux = subprocess.run([os.path.join(dist, "ltrbuild"), "build", linux_manifest, "-o", linux_out,
                                    "--stub", os.path.join(dist, "launcher.exe")], capture_output=True)
            code, _, err = run_windows("build", wine.windows_path(windows_manifest), "-o",
                                       wine.windows_path(windows_out))
            if linux.returncode != 0 or code != 0:
                problems.append(f"builds ended with {linux.returncode} and {code}: {linux.stderr!r} {err!r}")
            elif open(linux_out, "rb").read() != open(windows_out, "rb").read():
                problems.append("the two builders wrote different bytes")
            else:
                for options in ([], ["--json"], ["--code-page", str(manifest.get("codePage", 1252))]):
                    linux_inspect = subprocess.run([os.path.join(dist, "ltrbuild"), "inspect", linux_out] + options,
                                                   capture_output=True)
                    code, out, err = run_windows("inspect", wine.windows_path(windows_out), *options)
                    if code != linux_inspect.returncode or out != linux_inspect.stdout:
                        problems.append(f"inspect {' '.join(options)} printed differently ({code}): "
                                        f"{out[:200]!r} against {linux_inspect.stdout[:200]!r}")
            outcome(f"{label}: same bytes, same inspect", problems)

        # Refusals read the same, but for the path in them.
        refused = os.path.join(work, "refused.json")
        with open(refused, "w", encoding="utf-8") as f:
            json.dump({"wideRecords": {"captoin": "x"}}, f)
        code, _, err = run_windows("build", wine.windows_path(refused), "-o", wine.windows_path(os.path.join(work, "r.exe")))
        want = b"ltrbuild: unknown record 'captoin', did you mean 'caption'?\n"
        outcome("a refused manifest: exit code 1 and the same message",
                [] if code == 1 and err == want else [f"{code} {err!r}"])
        missing = os.path.join(work, "missing.json")
        with open(missing, "w", encoding="utf-8") as f:
            json.dump({"files": ["payload\\none.jar"]}, f)
        code, _, err = run_windows("build", wine.windows_path(missing), "-o", wine.windows_path(os.path.join(work, "m.exe")))
        want = f'ltrbuild: cannot read included file "{wine.windows_path(work)}\\payload\\none.jar": No such file or directory\n'
        outcome("a missing input is named by its Windows path",
                [] if code == 1 and err.decode("utf-8") == want else [f"{code} {err!r}"])
        linux_schema = subprocess.run([os.path.join(dist, "ltrbuild"), "schema", "--reference"], capture_output=True)
        code, out, _ = run_windows("schema", "--reference")
        outcome("schema --reference prints the same", [] if code == 0 and out == linux_schema.stdout else [f"{code}"])
    finally:
        session.stop()
    print(f"Windows builder checks: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
