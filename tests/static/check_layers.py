#!/usr/bin/env python3
"""The layers of src/, kept true the way a style checker keeps a rule true.

Each directory of src/ is a layer, from the bottom up:

  core      portable code: no Windows header, builds on the host and in the stub
  platform  the Win32 calls (platform/host: the host build's stand-ins)
  launch    the launch: extraction, runtime search and loading, JNI, ...
  ui        windows and boxes
  entry     WinMain and the run forms

Rules:
  1. A file includes project headers of its own layer or of layers below it,
     never of a layer above.
  2. A file that includes a Windows header (<windows.h>, <wininet.h>, ...,
     <direct.h>) or a project header named *_win.h is Win32-only and says so
     in its name: *_win.cpp or *_win.h.
  3. core holds no Win32-only file, and neither does platform/host.

Usage: check_layers.py [SRC_DIR]   (default: the project's src/)
The rules are first tried on a small tree of mistakes, each of which must
be reported. Prints one line per problem and a line of totals; exit code 1
on a problem."""
import os
import re
import shutil
import sys
import tempfile

LAYERS = ["core", "platform", "launch", "ui", "entry"]
WINDOWS_HEADERS = {"windows.h", "wininet.h", "commctrl.h", "commdlg.h", "shlobj.h", "aclapi.h", "direct.h",
                   "winuser.h", "winver.h", "winbase.h", "winnt.h", "winreg.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
SOURCE = re.compile(r"\.(cpp|h)$")


def layer_of(relative):
    """The layer of a path below src/, or None for a file outside the layers."""
    top = relative.split("/", 1)[0]
    return top if top in LAYERS else None


def is_win32_name(relative):
    return re.search(r"_win\.(cpp|h)$", relative) is not None


def problems_of(root, relative):
    with open(os.path.join(root, relative), encoding="utf-8") as f:
        text = f.read()
    layer = layer_of(relative)
    rank = LAYERS.index(layer)
    problems = []
    win32 = False
    for kind, name in INCLUDE.findall(text):
        if kind == "<":
            if name.lower() in WINDOWS_HEADERS:
                win32 = True
            continue
        target = layer_of(name)
        if target is None:
            continue
        if LAYERS.index(target) > rank:
            problems.append(f"{relative}: includes \"{name}\" of the {target} layer, above {layer}")
        if is_win32_name(name):
            win32 = True
    if win32 and not is_win32_name(relative):
        problems.append(f"{relative}: uses Windows but its name does not end in _win.cpp or _win.h")
    if is_win32_name(relative) and (layer == "core" or relative.startswith("platform/host/")):
        problems.append(f"{relative}: a Win32-only file in {relative.rsplit('/', 1)[0]}/, which must stay portable")
    return problems


def check(root):
    files = 0
    problems = []
    for folder, _, names in os.walk(root):
        for name in sorted(names):
            relative = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
            if not SOURCE.search(name) or layer_of(relative) is None:
                continue
            files += 1
            problems += problems_of(root, relative)
    return files, problems


def self_test():
    """Every rule must catch the mistake it is there for."""
    mistakes = {
        "core/upward.cpp": '#include "launch/pipeline.h"\n',
        "core/windows.cpp": "#include <windows.h>\n",
        "launch/uses_ui.cpp": '#include "ui/progress_window_win.h"\n',
        "launch/hidden.cpp": '#include "platform/owned_win.h"\n',
        "core/thing_win.cpp": "#include <windows.h>\n",
        "platform/host/memory_win.cpp": "\n",
    }
    fine = {
        "launch/pipeline.h": '#include "core/text.h"\n',
        "ui/window_win.cpp": '#include <windows.h>\n#include "launch/pipeline.h"\n#include "ui/other.h"\n',
        "entry/main_win.cpp": '#include "ui/window_win.h"\n',
    }
    scratch = tempfile.mkdtemp()
    try:
        for relative, text in {**mistakes, **fine}.items():
            path = os.path.join(scratch, relative)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
        _, problems = check(scratch)
    finally:
        shutil.rmtree(scratch)
    caught = {p.split(":", 1)[0] for p in problems}
    missed = sorted(set(mistakes) - caught)
    wrong = sorted(caught - set(mistakes))
    for name in missed:
        print(f"FAIL self-test: {name} was not reported")
    for name in wrong:
        print(f"FAIL self-test: {name} was reported but is fine")
    return not missed and not wrong


def main():
    rules_hold = self_test()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "src")
    files, problems = check(root)
    for problem in problems:
        print(f"FAIL {problem}")
    failed = len({p.split(":", 1)[0] for p in problems}) + (0 if rules_hold else 1)
    print(f"layer checks: {files + 1 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
