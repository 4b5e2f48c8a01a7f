"""Driving a run's dialogs on the Xvfb display: each step of a case waits
for its windows, checks what they show (tests/win/window_probe.cpp reads
them), types and presses keys, and waits for what that did. Every wait
polls for a state until a deadline; none sleeps for a fixed time.

Without a window manager the keyboard focus of the display stays
PointerRoot: typed keys reach the Wine window under the pointer, and Wine
hands them to its active window, which may not yet be the one that just
came. So the window to type into gets the X focus first, the typed text is
waited for in its fields before the next key, and a key that closes its
window is followed by a wait until the window is gone."""
import concurrent.futures
import glob
import json
import os
import re
import subprocess
import time

import checks
import wine
from checks import ANSI, Failure

POLL = 0.2
WINDOW_DEADLINE = 30  # seconds for a window to appear, show a state or go
# Wine's message-box trace, with the box's text.
BOX = re.compile(r'trace:msgbox:\w+ L"((?:[^"\\]|\\.)*)"')


def poll(condition, seconds, ended=lambda: False):
    """condition() until it gives a true value, the deadline passes or
    ended() says the program is gone; returns the last value."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value or time.monotonic() > deadline or ended():
            return value
        time.sleep(POLL)


def visible_windows(x_env, installer):
    """The installer's visible X windows, the topmost last."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", os.path.basename(installer)],
                           env=x_env, capture_output=True, text=True)
    return found.stdout.split()


def window_name(x_env, window):
    return subprocess.run(["xdotool", "getwindowname", window], env=x_env, capture_output=True,
                          text=True).stdout.rstrip("\n")


def probe(paths, session):
    """The visible dialogs as window_probe.exe reads them."""
    result = subprocess.run([wine.WINE64, paths.program(64, "window_probe.exe")], env=session.env,
                            capture_output=True, timeout=60)
    return [json.loads(line) for line in result.stdout.decode("utf-8").splitlines() if line.strip()]


def unmatched(shown, wanted):
    """The wanted windows (title, and per control id the members that must
    match) that no shown window matches."""
    def matches(window, want):
        return window["title"] == want["title"] and all(
            any(str(c["id"]) == cid and all(c.get(k) == v for k, v in members.items()) for c in window["controls"])
            for cid, members in want.get("controls", {}).items())
    return [want for want in wanted if not any(matches(w, want) for w in shown)]


def screenshot(x_env, window, path):
    """A screenshot once two in a row are the same: the window has painted."""
    shots = [None]

    def stable():
        shots.append(subprocess.run(["import", "-window", window, "png:-"], env=x_env, capture_output=True).stdout)
        return shots[-1] if shots[-1] and shots[-1] == shots[-2] else None
    shot = poll(stable, 10)
    if shot:
        with open(path, "wb") as f:
            f.write(shot)


def colour_problems(x_env, wanted, path):
    """A screenshot of the display against the wanted least pixel counts per
    colour ({"ff0000": 500}; 0 means none at all)."""
    subprocess.run(["import", "-window", "root", path], env=x_env, check=True, capture_output=True)
    histogram = subprocess.run(["convert", path, "-format", "%c", "histogram:info:-"], capture_output=True,
                               text=True, check=True).stdout
    counts = {m.group(2).lower(): int(m.group(1))
              for m in re.finditer(r"^\s*(\d+):.*#([0-9A-Fa-f]{6})", histogram, re.M)}
    problems = []
    for colour, least in wanted.items():
        found = counts.get(colour.lower(), 0)
        if (least == 0 and found) or found < least:
            problems.append(f"{found} pixels of #{colour} on the screen, expected "
                            f"{'none' if least == 0 else f'at least {least}'}")
    return problems


def has_field(paths, session, title):
    """The window of that title shows an enabled text field."""
    return any(w["title"] == title and any(c["class"].lower() == "edit" and c["visible"] and c["enabled"]
                                           for c in w["controls"]) for w in probe(paths, session))


def shows_text(paths, session, text):
    """A shown window has a control whose text is exactly text."""
    return any(c["text"] == text for w in probe(paths, session) for c in w["controls"])


def partial_download(temp_dir, size):
    """The work directory's partial download exists and holds at least size bytes."""
    return any(os.path.getsize(p) >= size for p in glob.glob(os.path.join(temp_dir, "ltr*.tmp_dir*", "jre.tar.gz.part")))


def run_step(paths, session, step, number, installer, temp_dir, values, directory, seen, ended):
    """One step: its windows, what they show, the typing and keys. Returns
    the problems of what they show."""
    x_env = dict(os.environ, DISPLAY=session.env["DISPLAY"])
    label = f"step {number + 1}"

    def new_window():
        windows = [w for w in visible_windows(x_env, installer) if (step.get("reuse") or w not in seen)
                   and ("title" not in step or window_name(x_env, w) == step["title"])]
        if len(windows) >= step.get("windows", 1):
            return windows[0] if step.get("target") == "first" else windows[-1]
        return None
    window = poll(new_window, step.get("within", WINDOW_DEADLINE), ended)
    if not window:
        return None, []
    seen.add(window)
    problems = []
    if "windowsShow" in step:
        # Polled: the launcher reaches some states a while after its window came.
        wanted = json.loads(checks.expand(json.dumps(step["windowsShow"]), values))
        shown = []

        def all_shown():
            shown[:] = probe(paths, session)
            return not unmatched(shown, wanted)
        if not poll(all_shown, step.get("showWithin", WINDOW_DEADLINE), ended):
            problems.append(f"{label}: no window like {unmatched(shown, wanted)}; shown: {shown}")
    if "screenColours" in step:
        # Polled: the windows paint their icons a while after they show.
        shot, found = os.path.join(directory, f"colours{number or ''}.png"), []

        def coloured():
            found[:] = colour_problems(x_env, step["screenColours"], shot)
            return not found
        if not poll(coloured, step.get("showWithin", WINDOW_DEADLINE), ended):
            problems += [f"{label}: {p}" for p in found]
    if step.get("screenshot"):
        screenshot(x_env, "root" if step.get("windows", 1) > 1 else window,
                   os.path.join(directory, f"screenshot{number or ''}.png"))
    if "partialDownload" in step and \
            not poll(lambda: partial_download(temp_dir, step["partialDownload"]), WINDOW_DEADLINE, ended):
        raise Failure(f"{label}: the download's jre.tar.gz.part never held {step['partialDownload']} bytes")
    if "type" in step:
        text = checks.expand(step["type"], values)
        title = window_name(x_env, window)
        if not poll(lambda: has_field(paths, session, title), WINDOW_DEADLINE, ended):
            raise Failure(f"{label}: {title!r} never showed a field to type into; shown: {probe(paths, session)}")
        # Wine gives the keyboard to the window that has the X focus; with
        # no window manager nobody else would hand it over.
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=x_env, capture_output=True, timeout=60)
        subprocess.run(["xdotool", "type", "--delay", "20", text], env=x_env, capture_output=True)
        if not poll(lambda: shows_text(paths, session, text), WINDOW_DEADLINE, ended):
            raise Failure(f"{label}: the typed {text!r} never showed; shown: {probe(paths, session)}")
    for key in step.get("keys", []):
        subprocess.run(["xdotool", "key", "--window", window, key], env=x_env, capture_output=True)
    if step.get("keys") and not step.get("keepsWindow"):
        if not poll(lambda: window not in visible_windows(x_env, installer), WINDOW_DEADLINE, ended) \
                and not ended():
            raise Failure(f"{label}: the window stayed after {step['keys']}; shown: {probe(paths, session)}")
    return window, problems


def run_dialog(paths, session, case, installer, temp_dir, env, directory, cwd, values):
    """Runs a case that opens windows: its "gui" step, then each of its
    "then". Returns (exit code, stdout, stderr without Wine's trace), the
    message boxes' texts from Wine's trace, and the problems of what the
    windows showed."""
    steps = [case["gui"]] + case["gui"].get("then", [])
    seen, problems = set(), []
    with concurrent.futures.ThreadPoolExecutor(1) as pool:
        future = pool.submit(session.run, installer, case.get("tail", ""), temp_dir, env, case.get("timeout", 60),
                             wine_debug="-all,trace+msgbox", cwd=cwd)
        for number, step in enumerate(steps):
            window, shown = run_step(paths, session, step, number, installer, temp_dir, values, directory, seen,
                                     future.done)
            if not window:
                future.result()
                raise Failure(f"no window appeared for step {number + 1}")
            problems += shown
        code, stdout, stderr = future.result()
    trace = stderr.decode(ANSI, "replace")
    boxes = [unescape_trace(m.group(1)) for m in BOX.finditer(trace)]
    return (code, stdout, without_trace(stderr)), boxes, problems


def is_trace(line):
    return re.match(r"^[0-9a-f]{4}:", line)


def without_trace(stderr):
    lines = stderr.decode(ANSI, "replace").splitlines(True)
    return "".join(l for l in lines if not is_trace(l)).encode(ANSI, "replace")


def split_trace(stderr):
    """Wine's trace lines ("0123:trace:...") apart from the program's error stream."""
    lines = stderr.decode(ANSI, "replace").splitlines(True)
    return without_trace(stderr), "".join(l for l in lines if is_trace(l))


def unescape_trace(text):
    """Wine's trace writes a UTF-16 text with C escapes and \\xXXXX."""
    simple = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}
    return re.sub(r"\\(x[0-9a-fA-F]{4}|.)",
                  lambda m: chr(int(m.group(1)[1:], 16)) if len(m.group(1)) == 5 else simple.get(m.group(1), m.group(1)),
                  text)
