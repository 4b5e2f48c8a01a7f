"""What must hold after a run: one small function per expectation key of
a case (schema.EXPECT), registered in CHECKS by that key. Each takes what
was observed (an Observed) and the wanted value, and returns its problems
as texts; an empty list means it holds."""
import json
import os
import re
import subprocess
import sys

import runtimes
import wine

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "static"))
import check_stubs  # noqa: E402

HEADER = re.compile(r"^Started executable (.+) at \w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}$")
ANSI = "cp1252"
LOG_KEYS = ("log", "logHas", "logPatterns", "logLacks")


class Failure(Exception):
    pass


class Observed:
    """A finished run as the checks see it: its exit code and streams (bytes,
    Wine's trace lines taken out), the message boxes, the logs found, the
    values the expected texts name ({exe}, {log}, {work}, ...)."""

    def __init__(self, code, stdout, stderr, *, installer, directory, temp_dir, paths, logs, values,
                 boxes=None, trace="", install_started=None, held=None, case=None, bits=None, session=None):
        self.code, self.stdout, self.stderr = code, stdout, stderr
        self.case, self.bits, self.session = case or {}, bits, session
        self.installer, self.directory, self.temp_dir = installer, directory, temp_dir
        self.paths, self.logs, self.values = paths, logs, values
        self.boxes, self.trace, self.install_started, self.held = boxes, trace, install_started, held
        self.lines = None  # the kept log's lines behind its header, once read

    def expand(self, text):
        return expand(text, self.values)

    def pattern(self, text):
        """A wanted pattern with the values put in literally."""
        return expand(text, {k: re.escape(v) for k, v in self.values.items()})


def expand(text, values):
    for key, value in values.items():
        text = text.replace("{" + key + "}", value)
    return text


def read_log(path, installer):
    """The log's lines behind its header; the header names the installer."""
    with open(path, "rb") as f:
        data = f.read()
    if re.search(rb"(?<!\r)\n", data):
        raise Failure("log has a line break that is not CR LF")
    lines = data.decode(ANSI).split("\r\n")
    match = HEADER.match(lines[0])
    if not match:
        raise Failure(f"log header is {lines[0]!r}")
    # The header's module path is the 8-bit one: "?" for what the code page lacks.
    expected = wine.windows_path(installer).encode(ANSI, "replace").decode(ANSI)
    if match.group(1).lower() != expected.lower():
        raise Failure(f"log header names {match.group(1)!r}")
    if len(lines) < 2 or lines[1] != "":
        raise Failure("log header is not followed by an empty line")
    if lines[-1] == "":
        lines.pop()
    return lines[2:]


# --- exit code and streams ------------------------------------------------------

def check_exit(run, wanted):
    return [] if run.code == wanted else [f"exit code {run.code}, expected {wanted}"]


def _stream(run, name):
    return getattr(run, name).decode(ANSI).replace("\r\n", "\n")


def _exact_stream(name):
    def check(run, wanted):
        actual, expected = _stream(run, name), run.expand(wanted)
        return [] if actual == expected else [f"{name} {actual!r}, expected {expected!r}"]
    return check


def _stream_pattern(name):
    def check(run, wanted):
        actual = _stream(run, name)
        return [] if re.fullmatch(run.pattern(wanted), actual, re.S) else \
            [f"{name} {actual!r} does not match {wanted!r}"]
    return check


# --- the log --------------------------------------------------------------------

def check_log_kept(run, wanted):
    """One log kept, or none; reads the kept one (its header is checked) for
    the line checks."""
    kept = len(run.logs) == 1 if wanted == "any" else wanted
    if kept and len(run.logs) != 1:
        return [f"expected one kept log, found {len(run.logs)}"]
    if not kept and run.logs:
        return [f"log was not deleted: {run.logs}"]
    if kept:
        try:
            run.lines = read_log(run.logs[0], run.installer)
        except Failure as e:
            return [str(e)]
    return []


def lines_match(lines, wanted, run):
    """Exact lines; a wanted line beginning with "~ " is a pattern."""
    if len(lines) != len(wanted):
        return False
    for line, want in zip(lines, wanted):
        if want.startswith("~ "):
            if not re.fullmatch(run.pattern(want[2:]), line):
                return False
        elif line != run.expand(want):
            return False
    return True


def check_log(run, wanted):
    if run.lines is None or lines_match(run.lines, wanted, run):
        return []
    return ["log lines differ:\n    " + "\n    ".join(run.lines)]


def check_log_has(run, wanted):
    """The lines, in this order, others between them."""
    if run.lines is None:
        return []
    position = 0
    for line in wanted:
        line = run.expand(line)
        while position < len(run.lines) and run.lines[position] != line:
            position += 1
        if position == len(run.lines):
            return [f"log lacks {line!r} (in order)"]
    return []


def check_log_patterns(run, wanted):
    if run.lines is None:
        return []
    position = 0
    for pattern in wanted:
        pattern = run.pattern(pattern)
        while position < len(run.lines) and not re.fullmatch(pattern, run.lines[position]):
            position += 1
        if position == len(run.lines):
            return [f"log lacks a line matching {pattern!r} (in order)"]
    return []


def check_log_lacks(run, wanted):
    if run.lines is None:
        return []
    return [f"log has {line!r}" for line in wanted if run.expand(line) in run.lines]


# --- what the test runtime received ----------------------------------------------

def _report(run):
    path = os.path.join(run.directory, "report.jsonl")
    if not os.path.exists(path):
        return None
    with open(path, encoding="ascii") as f:
        return [json.loads(line) for line in f if line.strip()]


def _expand_value(run, value):
    return run.expand(value) if isinstance(value, str) else value


def check_report(run, wanted):
    """Report events in order, each wanted object a subset of one line."""
    events = _report(run)
    if events is None:
        return ["the test runtime wrote no report"]
    position = 0
    for want in wanted:
        want = {k: _expand_value(run, v) for k, v in want.items()}
        while position < len(events) and any(events[position].get(k) != v for k, v in want.items()):
            position += 1
        if position == len(events):
            return [f"report lacks {want} (in order)"]
        position += 1
    return []


def check_options(run, wanted):
    events = _report(run)
    if events is None:
        return ["the test runtime wrote no report"]
    options = [e["optionString"].encode("latin-1").decode(ANSI) for e in events if e["event"] == "option"]
    wanted = [run.expand(o) for o in wanted]
    return [] if options == wanted else [f"options {options}, expected {wanted}"]


def check_main_args(run, wanted):
    events = _report(run)
    if events is None:
        return ["the test runtime wrote no report"]
    calls = [e for e in events if e["event"].startswith("CallStaticVoidMethod") and e.get("method") == "main"]
    got = calls[0]["args"] if calls else None
    wanted = [run.expand(a) for a in wanted]
    return [] if got == wanted else [f"main received {got}, expected {wanted}"]


# --- files ----------------------------------------------------------------------

def check_absent_files(run, wanted):
    return [f"{relative} exists" for relative in wanted if os.path.exists(os.path.join(run.directory, relative))]


def _in_work(run, relative):
    return os.path.join(run.paths.unix_path(run.values["work"]), relative.replace("\\", "/"))


def check_work_contains(run, wanted):
    problems = []
    for relative, content in wanted.items():
        path = _in_work(run, relative) if run.values.get("work") else None
        if not path or not os.path.isfile(path):
            problems.append(f"work directory lacks {relative}")
        elif content is not None:
            with open(path, "rb") as f:
                if f.read() != content.encode("utf-8"):
                    problems.append(f"{relative} differs")
    return problems


def check_work_lacks(run, wanted):
    if not run.values.get("work"):
        return []
    return [f"work directory holds {relative}" for relative in wanted if os.path.exists(_in_work(run, relative))]


def check_work_files(run, wanted):
    """The work directory holds exactly the wanted files: "@fixture" stands
    for that fixture's bytes. None: no work directory at all."""
    work = run.values.get("work")
    if wanted is None:
        leftovers = [n for n in os.listdir(run.temp_dir) if re.match(r"ltr.*\.tmp_dir", n)]
        if work and os.path.exists(run.paths.unix_path(work)):
            leftovers.append(work)
        return [f"work directory left behind: {leftovers}"] if leftovers else []
    if not work:
        return ["the log names no work directory"]
    root = run.paths.unix_path(work)
    found = {}
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, root)] = f.read()
    expected = {}
    for name, content in wanted.items():
        if content.startswith("@"):
            with open(os.path.join(run.directory, content[1:]), "rb") as f:
                expected[name] = f.read()
        else:
            expected[name] = content.encode("utf-8")
    if found.keys() != expected.keys():
        return [f"work directory holds {sorted(found)}, expected {sorted(expected)}"]
    return [f"{name} differs" for name in expected if found[name] != expected[name]]


def check_jre_matches_source(run, wanted):
    """The runtime directory holds exactly the regular files of the tree the
    case's archive was made of, each with the same bytes (below the home
    directory when the archive holds its runtime inside one)."""
    if not wanted:
        return []
    if not run.values.get("work"):
        return ["the log names no work directory"]
    recipe = run.case["archive"]
    unpacked = runtimes.regular_files(_in_work(run, "jre"))
    source = runtimes.regular_files(runtimes.source_root(recipe, run.directory))
    home = recipe["home"] + "/" if "home" in recipe else ""
    source = {home + path: data for path, data in source.items()}
    problems = [f"jre lacks {path}" for path in sorted(source.keys() - unpacked.keys())]
    problems += [f"jre holds {path}, not in the source" for path in sorted(unpacked.keys() - source.keys())]
    problems += [f"jre/{path} differs" for path in sorted(source.keys() & unpacked.keys())
                 if source[path] != unpacked[path]]
    if not source:
        problems.append("the source tree is empty")
    return problems[:12] + ([f"... {len(problems) - 12} more"] if len(problems) > 12 else [])


# --- the built file ---------------------------------------------------------------

def check_pe(run, wanted):
    machine = 0x14C if run.bits == "32" else 0x8664
    return [f"PE check: {p}" for p in check_stubs.check_built(run.installer, machine, wanted["level"])]


def check_version_info(run, wanted):
    """The version resource as tests/win/version_info.cpp reads it with
    GetFileVersionInfoW: exactly the wanted versions and strings."""
    result = run.session.wine(run.paths.program(64, "version_info.exe"), wine.windows_path(run.installer))
    if result.returncode != 0:
        return [f"version_info ended with {result.returncode}: {result.stderr.decode(ANSI, 'replace')[-300:]}"]
    found = json.loads(result.stdout.decode("utf-8"))
    return [] if found == wanted else [f"version resource {found}, expected {wanted}"]


def check_signs(run, wanted):
    """A copy of the built file signed with a throwaway code-signing
    certificate verifies, as a vendor would sign it after building."""
    if not wanted:
        return []
    key, cert, signed = (os.path.join(run.directory, n) for n in ("sign-key.pem", "sign-cert.pem", "signed.exe"))
    steps = [["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "2",
              "-subj", "/CN=Branding Test", "-addext", "extendedKeyUsage=codeSigning"],
             ["osslsigncode", "sign", "-certs", cert, "-key", key, "-n", "Branded setup", "-in", run.installer,
              "-out", signed],
             ["osslsigncode", "verify", "-CAfile", cert, "-in", signed]]
    for command in steps:
        result = subprocess.run(command, capture_output=True, text=True, errors="replace")
        if result.returncode != 0:
            return [f"{command[0]} {command[1]} failed: {(result.stdout + result.stderr)[-400:]}"]
    return []


# --- message boxes, the first copy, the mark, Wine's trace ---------------------------

def check_box(run, wanted):
    wanted = run.expand(wanted)
    first = run.boxes[0] if run.boxes else None
    return [] if first == wanted else [f"message box {first!r}, expected {wanted!r}"]


def check_boxes(run, wanted):
    wanted = [run.expand(b) for b in wanted]
    return [] if run.boxes == wanted else [f"message boxes {run.boxes!r}, expected {wanted!r}"]


def check_held_window(run, wanted):
    if run.held is None:
        return ["no first copy was held"]
    return [] if run.held.state == wanted else [f"first copy's window {run.held.state!r}, expected {wanted!r}"]


def check_install_started(run, wanted):
    return [] if run.install_started == wanted else \
        [f"InstallStarted is {run.install_started!r}, expected {wanted!r}"]


def check_trace_has(run, wanted):
    return [f"Wine's trace lacks {text!r}" for text in wanted if text not in run.trace]


def check_trace_lacks(run, wanted):
    return [f"Wine's trace has {text!r}" for text in wanted if text in run.trace]


CHECKS = {
    "exit": check_exit,
    "stdout": _exact_stream("stdout"),
    "stdoutPattern": _stream_pattern("stdout"),
    "stderr": _exact_stream("stderr"),
    "stderrPattern": _stream_pattern("stderr"),
    "logKept": check_log_kept,
    "log": check_log,
    "logHas": check_log_has,
    "logPatterns": check_log_patterns,
    "logLacks": check_log_lacks,
    "report": check_report,
    "options": check_options,
    "mainArgs": check_main_args,
    "absentFiles": check_absent_files,
    "workContains": check_work_contains,
    "workLacks": check_work_lacks,
    "workFiles": check_work_files,
    "jreMatchesSource": check_jre_matches_source,
    "peChecks": check_pe,
    "versionInfo": check_version_info,
    "signs": check_signs,
    "box": check_box,
    "boxes": check_boxes,
    "heldWindow": check_held_window,
    "installStarted": check_install_started,
    "traceHas": check_trace_has,
    "traceLacks": check_trace_lacks,
}


def with_implied(expect):
    """expect with what every run is checked for: exit code 0, empty
    streams, and a log kept exactly when a log line is expected. logKept
    comes first: it reads the log the line checks look at."""
    full = {"logKept": expect.get("logKept", any(k in expect for k in LOG_KEYS)), "exit": 0}
    for stream in ("stdout", "stderr"):
        if stream + "Pattern" not in expect:
            full[stream] = ""
    full.update((k, v) for k, v in expect.items() if k != "logKept")
    return full


def problems(run, expect):
    return [p for key, wanted in with_implied(expect).items() for p in CHECKS[key](run, wanted)]
