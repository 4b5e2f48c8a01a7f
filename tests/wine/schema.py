"""Every key a case table may hold, with its type and what it means, and
the loader that refuses anything else.

A table is {"defaults": {...}, "cases": [...]}: "defaults" holds any case
keys, deep-merged under each case (objects merge key by key, the case's
value wins; lists and plain values are replaced whole). A key that is not
listed here, or a value of the wrong type, fails the load with a message
that names the table, the case and the key's path."""
import copy
import glob
import json
import os
import re


class SchemaError(Exception):
    pass


# --- types ------------------------------------------------------------------

class Type:
    name = "?"

    def check(self, value, path):
        """Problems of value at path, as (path, text) pairs."""
        raise NotImplementedError


class Plain(Type):
    def __init__(self, name, test):
        self.name, self.test = name, test

    def check(self, value, path):
        return [] if self.test(value) else [(path, f"must be {self.name}, not {json.dumps(value)}")]


STR = Plain("a string", lambda v: isinstance(v, str))
INT = Plain("an integer", lambda v: isinstance(v, int) and not isinstance(v, bool))
BOOL = Plain("true or false", lambda v: isinstance(v, bool))
NUMBER = Plain("a number", lambda v: isinstance(v, (int, float)) and not isinstance(v, bool))
NULL = Plain("null", lambda v: v is None)
HEX = Plain("a string of hex digits", lambda v: isinstance(v, str) and re.fullmatch(r"(?:[0-9a-fA-F]{2})*", v))
JSON_VALUE = Plain("a JSON value", lambda v: True)


class Choice(Type):
    def __init__(self, *values):
        self.values = values
        self.name = "one of " + ", ".join(json.dumps(v) for v in values)

    def check(self, value, path):
        return [] if any(value == v and type(value) is type(v) for v in self.values) else \
            [(path, f"must be {self.name}, not {json.dumps(value)}")]


class Either(Type):
    def __init__(self, *types):
        self.types = types
        self.name = " or ".join(t.name for t in types)

    def check(self, value, path):
        for t in self.types:
            if not t.check(value, path):
                return []
        return [(path, f"must be {self.name}, not {json.dumps(value)}")]


class ListOf(Type):
    def __init__(self, item):
        self.item = item
        self.name = f"a list of {item.name}"

    def check(self, value, path):
        if not isinstance(value, list):
            return [(path, f"must be {self.name}")]
        return [p for i, v in enumerate(value) for p in self.item.check(v, f"{path}[{i}]")]


class Pair(Type):
    """[first, second], as the byte patches write them."""

    def __init__(self, first, second):
        self.first, self.second = first, second
        self.name = f"[{first.name}, {second.name}]"

    def check(self, value, path):
        if not isinstance(value, list) or len(value) != 2:
            return [(path, f"must be {self.name}")]
        return self.first.check(value[0], f"{path}[0]") + self.second.check(value[1], f"{path}[1]")


class MapOf(Type):
    """An object whose names are free (paths, variables, record names)."""

    def __init__(self, value):
        self.value = value
        self.name = f"an object of {value.name}"

    def check(self, value, path):
        if not isinstance(value, dict):
            return [(path, f"must be {self.name}")]
        return [p for k, v in value.items() for p in self.value.check(v, f"{path}.{k}")]


class Key:
    def __init__(self, type_, doc):
        self.type, self.doc = type_, doc


class Object(Type):
    """An object with a fixed set of keys, each documented."""

    def __init__(self, name, keys, rules=()):
        self.name, self.keys, self.rules = name, keys, rules

    def check(self, value, path, rules=True):
        if not isinstance(value, dict):
            return [(path, f"must be {self.name}")]
        problems = []
        for k, v in value.items():
            where = f"{path}.{k}" if path else k
            if k not in self.keys:
                problems.append((where, "is not a known key" + near(k, self.keys)))
            else:
                problems += self.keys[k].type.check(v, where)
        for rule in self.rules if rules else ():
            problems += [(path or None, text) for text in rule(value)]
        return problems


def near(key, known):
    close = [k for k in known if k.lower() == key.lower() or _one_edit(k, key)]
    return f" (did you mean {close[0]!r}?)" if close else ""


def _one_edit(a, b):
    if abs(len(a) - len(b)) > 1:
        return False
    if len(a) == len(b):
        return sum(x != y for x, y in zip(a, b)) <= 1
    short, long_ = sorted((a, b), key=len)
    return any(long_[:i] + long_[i + 1:] == short for i in range(len(long_)))


def exclusive(*names):
    return lambda value: [f"{' and '.join(names)} exclude each other"] if all(n in value for n in names) else []


def needs(key, other):
    return lambda value: [f"{key} needs {other}"] if key in value and other not in value else []


# --- the keys -----------------------------------------------------------------

PATCH = ListOf(Pair(INT, HEX))

ARCHIVE_ENTRY = Object("an archive entry", {
    "name": Key(STR, "the entry's name in the tar"),
    "type": Key(Choice("file", "dir", "symlink", "link"), "the entry's kind (default file)"),
    "data": Key(STR, "a file's text (UTF-8)"),
    "program": Key(STR, "a file whose bytes are this test runtime program (java.exe, jvm.dll, ...)"),
    "linkname": Key(STR, "a link's target"),
})

ARCHIVE = Object("an archive recipe", {
    "tool": Key(Choice("python"), "python: entries written by Python's tarfile; absent: GNU tar of a tree"),
    "runtime": Key(BOOL, "the test runtime's tree comes first (GNU tar: default true; python: default false)"),
    "files": Key(MapOf(STR), "GNU tar: more files of the tree, path to text"),
    "zeroFiles": Key(MapOf(INT), "GNU tar: more files of the tree, path to a size in zero bytes"),
    "members": Key(Either(ListOf(STR), Choice("files")),
                   "GNU tar: the members named on its command line (default: the tree's top entries); "
                   "producer: files, every file alone without directory entries"),
    "tarOptions": Key(ListOf(STR), "GNU tar or a producer: more options"),
    "entries": Key(ListOf(ARCHIVE_ENTRY), "python: the entries, in order"),
    "format": Key(Choice("gnu", "pax", "ustar"), "python: GNU tar's format instead of ustar; "
                                                 "producer python: the tarfile format"),
    "producer": Key(Choice("gnu", "bsdtar", "busybox", "python", "7zip"),
                    "the tool that packs a source tree (runtimes.py), instead of tool"),
    "tree": Key(ListOf(Choice("runtime", "names", "jdk")),
                "producer: the source tree's parts: the test runtime, long, deep and non-ASCII names with a hard "
                "link, the machine's OpenJDK home"),
    "home": Key(STR, "producer: the tree lies in a top-level directory of this name"),
    "gzipLevel": Key(INT, "gzip's compression level"),
    "writeTar": Key(PATCH, "python: [offset, hex bytes] written over the tar"),
    "writeGzip": Key(PATCH, "[offset, hex bytes] written over the compressed file"),
    "cutGzip": Key(INT, "keep only this many bytes of the compressed file"),
})

MANIFEST = Object("a builder manifest", {
    "stub": Key(STR, "the stub (the runner passes the stub under test with --stub)"),
    "codePage": Key(INT, "the code page of the 8-bit records"),
    "records": Key(MapOf(Either(STR, INT)), "8-bit records by name or id (the builder checks the names)"),
    "wideRecords": Key(MapOf(STR), "wide records by name or id"),
    "files": Key(ListOf(Either(STR, MapOf(STR))), "the included files, relative to the case's directory"),
    "javaBlock": Key(STR, "the file appended for the Java side"),
    "branding": Key(MapOf(STR), "the stub's icon, version strings and execution level (docs/manifest.md)"),
})

# The test runtime's scenario keys (tests/runtime/README.md).
SCENARIO = Object("a test runtime scenario", {name: Key(Either(STR, INT), doc) for name, doc in {
    "create": "ok or fail: JNI_CreateJavaVM's answer",
    "createResult": "what a failing JNI_CreateJavaVM returns",
    "launcherClass": "present or absent: the launcher class",
    "mainMethod": "present or absent: its main",
    "firstRunClass": "present or absent: the first-run class",
    "firstRunMethod": "present or absent: its method",
    "firstRun": "true, false or throw: what the first-run hook answers",
    "main": "return, throw or exit: how main ends",
    "mainExit": "the exit code of main=exit",
    "window": "none or show: main shows a top-level window",
    "windowTitle": "that window's title",
    "windowSeconds": "how long that window shows",
    "mainSeconds": "how long main waits before it returns",
    "destroySeconds": "how long DestroyJavaVM waits",
    "allocation": "ok, arrays or strings: which allocation answers null",
    "installStarted": "ignore, report or clear: what main does with the InstallStarted mark",
    "banner": "java.exe's -version banner",
    "versionSeconds": "java.exe waits after the banner",
    "versionExit": "java.exe's exit code",
    "unpack": "ok or fail: unpack200.exe",
    "unpackExit": "unpack200.exe's exit code",
}.items()})

WINDOW_WANTED = Object("a wanted window", {
    "title": Key(STR, "the window's title"),
    "controls": Key(MapOf(MapOf(JSON_VALUE)),
                    "per control id, the members that must match: text, visible, enabled, position, range, class"),
})

STEP_KEYS = {
    "windows": Key(INT, "wait until this many new windows of the installer show (default 1)"),
    "reuse": Key(BOOL, "windows the earlier steps' keys went to count too"),
    "title": Key(STR, "only windows of this title count"),
    "within": Key(NUMBER, "seconds to wait for the windows (default 30)"),
    "target": Key(Choice("first", "last"), "which of the windows the keys go to (default last, the topmost)"),
    "windowsShow": Key(ListOf(WINDOW_WANTED),
                       "windows that must show as described (tests/win/window_probe.cpp reads them)"),
    "showWithin": Key(NUMBER, "seconds the windows may take to show as described (default 30)"),
    "screenshot": Key(BOOL, "write screenshot<N>.png into the case's directory"),
    "screenColours": Key(MapOf(INT), "per colour (rrggbb), the least pixels the display shows within showWithin; "
                                     "0: none"),
    "partialDownload": Key(INT, "before the keys, wait until the work directory's jre.tar.gz.part holds this many "
                                "bytes (0: exists)"),
    "type": Key(STR, "text typed into the step's window (given the X focus), then waited for in one of its fields"),
    "keys": Key(ListOf(STR), "xdotool key names sent to the target window, in order"),
    "keepsWindow": Key(BOOL, "the keys leave the target window open (else the runner waits until it goes)"),
}
STEP = Object("a dialog step", STEP_KEYS)
FIRST_STEP = Object("a dialog step", dict(STEP_KEYS, then=Key(ListOf(STEP), "the steps after this one")))

EXPECT = Object("the expectations", {
    "exit": Key(INT, "the exit code (default 0)"),
    "stdout": Key(STR, "the exact standard output, CR LF as LF (default empty)"),
    "stdoutPattern": Key(STR, "a regular expression the whole standard output matches"),
    "stderr": Key(STR, "the exact error stream, Wine's own lines left out (default empty)"),
    "stderrPattern": Key(STR, "a regular expression the whole error stream matches"),
    "logKept": Key(Either(BOOL, Choice("any")),
                   "one log is kept (default: when a log expectation is given); any: either way"),
    "log": Key(ListOf(STR), "the log's exact lines behind its header; a line starting '~ ' is a pattern"),
    "logHas": Key(ListOf(STR), "lines the log holds, in this order"),
    "logPatterns": Key(ListOf(STR), "regular expressions lines of the log match, in this order"),
    "logLacks": Key(ListOf(STR), "lines the log does not hold"),
    "report": Key(ListOf(MapOf(JSON_VALUE)), "events of the test runtime's report, in order; each a subset of one"),
    "options": Key(ListOf(STR), "the exact option strings the virtual machine received"),
    "mainArgs": Key(ListOf(STR), "the exact arguments of main"),
    "absentFiles": Key(ListOf(STR), "paths relative to the case's directory that do not exist"),
    "workContains": Key(MapOf(Either(STR, NULL)), "files in the work directory, with their text (null: any)"),
    "workLacks": Key(ListOf(STR), "files not in the work directory"),
    "workFiles": Key(Either(MapOf(STR), NULL),
                     "exactly these files in the work directory ('@name': that fixture's bytes); null: none left"),
    "box": Key(STR, "the text of the first message box"),
    "boxes": Key(ListOf(STR), "the texts of every message box, in order"),
    "heldWindow": Key(STR, "what the held first copy's window went through"),
    "installStarted": Key(STR, "the InstallStarted value afterwards, as reg shows it (the case runs alone)"),
    "traceHas": Key(ListOf(STR), "texts Wine's process trace holds"),
    "traceLacks": Key(ListOf(STR), "texts Wine's process trace does not hold"),
    "jreMatchesSource": Key(BOOL, "the unpacked jre holds exactly the files of the archive's source tree"),
    "peChecks": Key(Object("the PE checks", {"level": Key(STR, "the execution level the manifest asks for")}),
                    "the built file passes the stub's static checks (tests/static/check_stubs.py)"),
    "versionInfo": Key(MapOf(STR), "the version resource exactly, as GetFileVersionInfoW reads it"),
    "signs": Key(BOOL, "a signed copy of the built file verifies (osslsigncode)"),
}, rules=(exclusive("stdout", "stdoutPattern"), exclusive("stderr", "stderrPattern")))

CASE = Object("a case", {
    "name": Key(STR, "the case's name, unique in its table"),
    "manifest": Key(MANIFEST, "the builder manifest of the installer"),
    "fixtures": Key(MapOf(STR), "files written into the case's directory before the build, path to text"),
    "iconFixtures": Key(MapOf(STR), "icon files of one colour (rrggbb) in several sizes (icons.py)"),
    "randomFixtures": Key(MapOf(INT), "files of that many pseudo-random bytes (seeded by the name)"),
    "installerName": Key(STR, "the installer's path in the case's directory (default installer.exe)"),
    "stubOnly": Key(BOOL, "the installer is the bare stub, without payload"),
    "damage": Key(Object("a damage", {
        "writePayload": Key(PATCH, "[offset from the payload's start, hex bytes] written over the file"),
        "writeIncluded": Key(PATCH, "[offset from the included files' start, hex bytes]"),
        "recordText": Key(MapOf(STR), "8-bit record id to a text of the same length, rewritten in place"),
        "recordTextOfAnyLength": Key(MapOf(STR), "8-bit record id to a text of any length, stored with its "
                                                 "length as an older builder could have written it"),
        "truncatePayloadAt": Key(INT, "the file ends this far behind the payload's start"),
        "truncateIncludedAt": Key(INT, "the file ends this far behind the included files' start"),
    }), "how the built file is damaged"),
    "sweep": Key(Object("a sweep", {"complete": Key(EXPECT, "what the cut at the included files expects")}),
                 "one run per cut of the configuration part, each expecting the short read's error"),
    "env": Key(MapOf(STR), "environment variables of the run"),
    "tail": Key(STR, "the command tail, written exactly as given"),
    "timeout": Key(NUMBER, "seconds before the run is ended with 124 (default 30; dialogs 60)"),
    "tempName": Key(STR, "the temporary directory's name in the case's directory (default tmp)"),
    "cwd": Key(STR, "the run's current directory, in the case's directory"),
    "cwdRuntime": Key(BOOL, "a runtime tree in cwd\\jre"),
    "cwdArchive": Key(ARCHIVE, "a jre.tar.gz made in cwd"),
    "scenario": Key(SCENARIO, "the test runtime's scenario (report=report.jsonl is always added)"),
    "installedRuntime": Key(Either(BOOL, Choice("dependency")),
                            "a runtime tree in rt found through LANTOR_TEST_JRE; dependency: its jvm.dll imports ltrdep.dll"),
    "dependencyInRuntime": Key(BOOL, "the dependency variant's ltrdep.dll lies beside it (default true)"),
    "otherBitnessRuntime": Key(BOOL, "a runtime of the other bitness in rt-other (LANTOR_TEST_OTHER_JRE)"),
    "plantDependency": Key(ListOf(Choice("exedir", "cwd")), "where a planted ltrdep.dll lies"),
    "archive": Key(ARCHIVE, "a jre.tar.gz added to the included files"),
    "download": Key(Object("a download", {
        "path": Key(STR, "the path on the case's loopback server that record 150 names (http_server.py)"),
        "archive": Key(ARCHIVE, "the archive it serves (default: the test runtime)"),
        "plantWininet": Key(BOOL, "a wininet.dll without WinINet's functions beside the installer"),
    }, rules=(lambda v: [] if "path" in v else ["download needs path"],)), "a loopback server of the case's own"),
    "prefix": Key(Object("a prefix change", {
        "dirs": Key(ListOf(STR), "directories made under drive_c for the run"),
        "files": Key(ListOf(STR), "paths under drive_c replaced by plain files"),
        "tmpfs": Key(STR, "a tmpfs of this size mounted as T:, its tmp the temporary directory"),
        "readOnlyTmpfs": Key(BOOL, "that tmpfs read-only"),
        "readOnlyDriveC": Key(BOOL, "drive_c mounted read-only"),
    }), "changes to the Wine prefix, undone afterwards (needs exclusive)"),
    "exclusive": Key(BOOL, "the case runs alone, after the others"),
    "prefixOfItsOwn": Key(BOOL, "the case runs in a prefix of its own (its run may end the session)"),
    "display": Key(BOOL, "the run has the Xvfb display without dialog steps"),
    "gui": Key(FIRST_STEP, "the dialog steps, run against the display"),
    "holdInstance": Key(Object("a held first copy", {
        "window": Key(STR, "the window the first copy shows (default none)"),
    }), "a process holds the installer's instance semaphore during the run"),
    "runningFirstCopy": Key(BOOL, "the same installer runs first and stays in main"),
    "installStarted": Key(Either(INT, STR), "the InstallStarted mark before the run (else absent)"),
    "installStartedType": Key(STR, "its registry type (default REG_DWORD)"),
    "onlyStub": Key(Choice("launcher.exe", "launcher64.exe"), "the case runs on this stub only"),
    "processTrace": Key(BOOL, "the run has Wine's process trace, for traceHas and traceLacks"),
    "expect": Key(EXPECT, "what must hold afterwards"),
    "without": Key(ListOf(STR), "keys of the table's defaults this case does without, as dotted paths "
                                "(manifest.records.errorCaption)"),
}, rules=(needs("prefix", "exclusive"),
          lambda v: ["traceHas and traceLacks need processTrace"]
          if {"traceHas", "traceLacks"} & set(v.get("expect", {})) and not v.get("processTrace") else [],
          lambda v: ["heldWindow needs holdInstance"]
          if "heldWindow" in v.get("expect", {}) and "holdInstance" not in v else []))

TABLE = Object("a case table", {
    "defaults": Key(MapOf(JSON_VALUE), "case keys merged under every case of the table"),
    "cases": Key(ListOf(MapOf(JSON_VALUE)), "the cases"),
})


# --- loading ------------------------------------------------------------------

def merged(defaults, case):
    """case over defaults: objects merge key by key, everything else the case's."""
    if not isinstance(defaults, dict) or not isinstance(case, dict):
        return copy.deepcopy(case)
    out = copy.deepcopy(defaults)
    for key, value in case.items():
        out[key] = merged(out[key], value) if key in out else copy.deepcopy(value)
    return out


def drop(case, dotted):
    """Removes the default at a dotted path; False when there is none."""
    *parents, last = dotted.split(".")
    for key in parents:
        case = case.get(key)
        if not isinstance(case, dict):
            return False
    return case.pop(last, None) is not None


def effective_cases(path):
    """The cases of one table with its defaults merged in, each checked."""
    table = os.path.basename(path)
    with open(path, encoding="utf-8") as f:
        try:
            data = json.load(f)
        except json.JSONDecodeError as e:
            raise SchemaError(f"{table}: not JSON: {e}")
    for where, text in TABLE.check(data, ""):
        raise SchemaError(f"{table}: {where}: {text}")
    if "cases" not in data:
        raise SchemaError(f"{table}: has no cases")
    defaults = data.get("defaults", {})
    problems = CASE.check(defaults, "", rules=False)
    if problems or "name" in defaults or "without" in defaults:
        where, text = problems[0] if problems else ("name" if "name" in defaults else "without", "is a case's own")
        raise SchemaError(f"{table}: defaults: key {where} {text}")
    cases, names = [], set()
    for index, raw in enumerate(data["cases"]):
        label = f"case {raw['name']!r}" if isinstance(raw.get("name"), str) else f"case #{index + 1}"
        case = merged(defaults, {k: v for k, v in raw.items() if k != "without"})
        problems = CASE.check({"without": raw["without"]}, "") if "without" in raw else []
        for dotted in raw.get("without", []) if not problems else []:
            if not isinstance(dotted, str) or not drop(case, dotted):
                problems.append(("without", f"names {dotted!r}, which the defaults do not hold"))
        problems += CASE.check(case, "")
        if "name" not in case:
            problems.append(("name", "is missing"))
        if problems:
            raise SchemaError(f"{table}: {label}: " + "; ".join(f"key {where} {text}" if where else text
                                                                  for where, text in problems))
        if case["name"] in names:
            raise SchemaError(f"{table}: {label}: the name is used twice")
        names.add(case["name"])
        cases.append(case)
    return cases


def load_cases(pattern, selected=None):
    """Every table matching pattern; only the cases whose name matches selected."""
    cases = []
    for path in sorted(glob.glob(pattern)):
        for case in effective_cases(path):
            case["source"] = os.path.basename(path)
            if not selected or re.search(selected, case["name"]):
                cases.append(case)
    return cases


def _object_in(type_):
    """The fixed-key object a key's value is, or holds (through lists and choices)."""
    if isinstance(type_, Object):
        return type_
    for inner in (getattr(type_, "item", None), getattr(type_, "value", None), *getattr(type_, "types", ())):
        found = _object_in(inner) if inner else None
        if found:
            return found
    return None


def describe(type_=CASE, indent="", done=None):
    """The keys as text, for --keys; an object described once is named after that."""
    done = set() if done is None else done
    lines = []
    for name, key in type_.keys.items():
        inner = _object_in(key.type)
        lines.append(f"{indent}{name} ({'object' if key.type is inner else key.type.name}): {key.doc}")
        if inner and inner is not type_:
            if id(inner) in done:
                lines[-1] += f" [{inner.name}, as above]"
            else:
                done.add(id(inner))
                lines += describe(inner, indent + "    ", done)
    return lines
