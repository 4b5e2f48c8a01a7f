#!/usr/bin/env python3
"""The manifest schema in docs/ as an editor uses it: every manifest of the
demo and of the end-to-end cases passes it, and manifests with a mistake
are refused by the schema and by the builder alike.

Usage: check_manifest_schema.py   (from the project's root, after make dist)
Needs Debian's python3-jsonschema (scripts/setup.sh installs it)."""
import glob
import json
import os
import subprocess
import sys
import tempfile

import jsonschema

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# Each a manifest with one mistake, and the builder's message for it.
MISTAKES = [
    ({"recrods": {}}, "unknown manifest key 'recrods', did you mean 'records'?"),
    ({"wideRecords": {"captoin": "Setup"}}, "unknown record 'captoin', did you mean 'caption'?"),
    ({"records": {"launcherType": "one"}}, 'records.launcherType: must be an integer, not "one"'),
    ({"records": {"includedJreSize": -1}}, "records.includedJreSize: must be from 0 to 2147483647, not -1"),
    ({"records": {"mainClass": ["a"]}}, "records.mainClass: must be a string or an integer, not an array"),
    ({"records": {"includedFileCount": 2}},
     'record 2002 (includedFileCount) is written from "files"; the manifest must not set it'),
    ({"codePage": 0}, "codePage: must be a code page number from 1 to 65535, not 0"),
    ({"files": [{"pth": "a.jar"}]}, "unknown key 'pth' in files[0], did you mean 'path'?"),
    ({"branding": {"executionLevel": "admin"}},
     'branding.executionLevel: must be asInvoker, highestAvailable or requireAdministrator, not "admin"'),
    ({"branding": {"fileVersion": "1.2.3.4.5"}},
     'branding.fileVersion: must be a version of one to four numbers from 0 to 65535 ("1.2.3.4"), not "1.2.3.4.5"'),
    ({"branding": {"produtName": "x"}}, "unknown key 'produtName' in branding, did you mean 'productName'?"),
]


def manifests():
    yield "demo/manifest.json", json.load(open(os.path.join(ROOT, "demo", "manifest.json"), encoding="utf-8"))
    for path in sorted(glob.glob(os.path.join(ROOT, "tests", "wine", "cases", "*.json"))):
        for case in json.load(open(path, encoding="utf-8")):
            if "manifest" in case and not case.get("stubOnly"):
                yield f"{os.path.basename(path)}: {case['name']}", case["manifest"]


def main():
    with open(os.path.join(ROOT, "docs", "manifest.schema.json"), encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    passed = failed = 0
    for name, manifest in manifests():
        errors = list(validator.iter_errors(manifest))
        if errors:
            failed += 1
            print(f"FAIL {name}: {errors[0].message}")
        else:
            passed += 1
    builder = os.path.join(ROOT, "dist", "ltrbuild")
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "launcher.exe"), "wb") as f:
            f.write(open(os.path.join(ROOT, "dist", "launcher64.exe"), "rb").read())
        for manifest, message in MISTAKES:
            problems = []
            if validator.is_valid(manifest):
                problems.append("the schema takes it")
            path = os.path.join(work, "m.json")
            with open(path, "w", encoding="utf-8") as f:
                json.dump(manifest, f)
            result = subprocess.run([builder, "build", path, "-o", os.path.join(work, "out.exe"),
                                     "--stub", os.path.join(work, "launcher.exe")], capture_output=True, text=True)
            if result.returncode != 1 or result.stderr != f"ltrbuild: {message}\n":
                problems.append(f"the builder said {result.stderr!r} ({result.returncode})")
            if problems:
                failed += 1
                print(f"FAIL {json.dumps(manifest)}: " + "; ".join(problems))
            else:
                passed += 1
    print(f"manifest schema checks: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
