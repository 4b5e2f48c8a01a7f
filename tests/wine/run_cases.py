#!/usr/bin/env python3
"""End-to-end cases under Wine. Each case in tests/wine/cases/*.json names a
payload (a builder manifest and the files it includes), how the built file
is damaged, the environment and command tail of the run, and what must hold
afterwards: exit code, exact standard output and error text, the log's
lines, whether the log was kept, and the message box a dialog case shows.
Every case runs against every stub this machine can run."""
import argparse
import concurrent.futures
import contextlib
import copy
import glob
import json
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import http_server  # noqa: E402
import icons  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "static"))
import check_stubs  # noqa: E402
import payload  # noqa: E402
import runtimes  # noqa: E402
import wine  # noqa: E402

HEADER = re.compile(r"^Started executable (.+) at \w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}$")
ANSI = "cp1252"


class Failure(Exception):
    pass


def load_cases(pattern, selected):
    cases = []
    for path in sorted(glob.glob(pattern)):
        with open(path, encoding="utf-8") as f:
            for case in json.load(f):
                case["source"] = os.path.basename(path)
                if not selected or re.search(selected, case["name"]):
                    cases.append(case)
    return cases


def slug(text):
    return re.sub(r"[^A-Za-z0-9]+", "_", text).strip("_")[:60]


class Runner:
    def __init__(self, args):
        self.dist = os.path.abspath(args.dist)
        self.build = os.path.abspath(args.build)
        self.work = os.path.join(self.build, "e2e")
        self.builder = os.path.join(self.dist, "ltrbuild")
        self.drive_c = os.path.join(self.build, "wineprefix", "drive_c")
        # Drive T: is where cases mount a small filesystem. Wine reads the
        # drive letters when its server starts, so the letter must exist
        # before any session does.
        self.drive_t = os.path.join(self.work, "drive_t")
        os.makedirs(self.drive_t, exist_ok=True)
        self.drives = {"t:": self.drive_t}

    # --- preparing a case -------------------------------------------------

    def build_installer(self, case, stub, directory, manifest_data=None):
        for name, content in case.get("fixtures", {}).items():
            path = os.path.join(directory, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(content.encode("utf-8"))
        for name, colour in case.get("iconFixtures", {}).items():
            path = os.path.join(directory, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(icons.icon(colour))
        for name, size in case.get("randomFixtures", {}).items():
            path = os.path.join(directory, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(random.Random(name).randbytes(size))
        installer = os.path.join(directory, case.get("installerName", "installer.exe"))
        os.makedirs(os.path.dirname(installer), exist_ok=True)
        if case.get("stubOnly"):
            shutil.copyfile(stub, installer)
            return installer
        manifest = os.path.join(directory, "manifest.json")
        with open(manifest, "w", encoding="utf-8") as f:
            json.dump(manifest_data if manifest_data is not None else case.get("manifest", {}), f, ensure_ascii=False)
        result = subprocess.run([self.builder, "build", manifest, "-o", installer, "--stub", stub],
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise Failure(f"builder failed: {result.stderr.strip()}")
        return installer

    def prepare_runtime(self, case, bits, directory, env):
        """The test runtime of the stub's bitness, as the case wants it: a
        scenario for it, a runtime tree in {directory}/rt that the search
        finds through LANTOR_TEST_JRE, a "jre.tar.gz" among the included
        files. Returns the manifest to build."""
        manifest = copy.deepcopy(case.get("manifest", {}))
        if "scenario" in case:
            scenario = os.path.join(directory, "scenario.txt")
            with open(scenario, "w", encoding="utf-8") as f:
                f.write("report=report.jsonl\n")
                f.writelines(f"{key}={value}\n" for key, value in case["scenario"].items())
            env["LANTOR_TEST_SCENARIO"] = wine.windows_path(scenario)
        if case.get("installedRuntime"):
            runtimes.lay_out(self.build, bits, os.path.join(directory, "rt"))
            if case["installedRuntime"] == "dependency":
                runtimes.use_dependency_variant(self.build, bits, os.path.join(directory, "rt"),
                                                case.get("dependencyInRuntime", True))
            if case.get("otherBitnessRuntime"):
                other = "64" if bits == "32" else "32"
                runtimes.lay_out(self.build, other, os.path.join(directory, "rt-other"))
                env["LANTOR_TEST_OTHER_JRE"] = wine.windows_path(os.path.join(directory, "rt-other"))
            for place in case.get("plantDependency", []):
                target = directory if place == "exedir" else os.path.join(directory, case["cwd"])
                os.makedirs(target, exist_ok=True)
                runtimes.plant_dependency(self.build, bits, target)
            env["LANTOR_TEST_JRE"] = wine.windows_path(os.path.join(directory, "rt"))
            manifest.setdefault("records", {}).setdefault("jvmSearchSequence", "ELANTOR_TEST_JRE")
        if "archive" in case:
            runtimes.make_archive(case["archive"], self.build, bits, directory)
            manifest.setdefault("files", []).append("jre.tar.gz")
        if "download" in case:
            # The archive the loopback server serves; the download location
            # names the server's path.
            archive = runtimes.make_archive(case["download"].get("archive", {}), self.build, bits,
                                            os.path.join(directory))
            served = os.path.join(directory, "served.tar.gz")
            os.replace(archive, served)
            self.server = http_server.Server(served)
            if case["download"].get("plantWininet"):
                # Any library of that name beside the installer; it has none of WinINet's functions.
                shutil.copyfile(runtimes.planted_dependency(self.build, bits), os.path.join(directory, "wininet.dll"))
            manifest.setdefault("records", {})["jreDownloadUrl"] = self.server.url + case["download"]["path"]
        if "cwd" in case:
            cwd = os.path.join(directory, case["cwd"])
            os.makedirs(cwd, exist_ok=True)
            if case.get("cwdRuntime"):
                runtimes.lay_out(self.build, bits, os.path.join(cwd, "jre"))
            if "cwdArchive" in case:
                runtimes.make_archive(case["cwdArchive"], self.build, bits, cwd)
        return manifest

    MARKER_KEY = "HKCU\\SOFTWARE\\orlinde\\lantor"

    def set_marker(self, session, case):
        """The InstallStarted mark before the run: as the case sets it, else
        absent, so that no unfinished-run question comes up unasked."""
        if "installStarted" in case:
            session.reg_add(self.MARKER_KEY, "InstallStarted", case["installStarted"],
                            case.get("installStartedType", "REG_DWORD"))
        else:
            session.reg_delete(self.MARKER_KEY, "InstallStarted")

    @staticmethod
    def damage(installer, damage):
        """Patches the built file: bytes at payload or included-files offsets,
        8-bit record texts rewritten in place, then a cut."""
        if not damage:
            return
        with open(installer, "rb") as f:
            data = bytearray(f.read())
        start = payload.payload_start(data)
        fields, included = payload.configuration_fields(data)
        for offset, hex_bytes in damage.get("writePayload", []):
            patch = bytes.fromhex(hex_bytes)
            data[start + offset:start + offset + len(patch)] = patch
        for offset, hex_bytes in damage.get("writeIncluded", []):
            patch = bytes.fromhex(hex_bytes)
            data[included + offset:included + offset + len(patch)] = patch
        for record_id, text in damage.get("recordText", {}).items():
            # Rewritten in place: the new text must have the old one's length.
            for id_field, text_field in zip(fields[2::3], fields[4::3]):
                found = struct.unpack_from("<i", data, id_field.offset)[0]
                if found == int(record_id) and text_field.read == "readString":
                    encoded = text.encode(ANSI)
                    if len(encoded) != text_field.size:
                        raise Failure(f"record {record_id}: {text!r} is not {text_field.size} bytes long")
                    data[text_field.offset:text_field.offset + text_field.size] = encoded
                    break
            else:
                raise Failure(f"no record {record_id} to rewrite")
        if "truncatePayloadAt" in damage:
            data = data[:start + damage["truncatePayloadAt"]]
        if "truncateIncludedAt" in damage:
            data = data[:included + damage["truncateIncludedAt"]]
        with open(installer, "wb") as f:
            f.write(data)

    # --- checking a run ---------------------------------------------------

    def find_logs(self, temp_dir, case):
        """Logs in the temporary directory; for a case that runs alone, also
        the fallback log "c:\\qrw_nlog" of a temporary directory the log
        could not be created in."""
        candidates = [os.path.join(temp_dir, n) for n in sorted(os.listdir(temp_dir))]
        if case.get("exclusive"):
            candidates.append(os.path.join(self.drive_c, "qrw_nlog"))
        logs = []
        for path in candidates:
            if os.path.isfile(path):
                with open(path, "rb") as f:
                    if f.read(19) == b"Started executable ":
                        logs.append(path)
        return logs

    @staticmethod
    def read_log(path, installer):
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

    def windows_log_path(self, path):
        if path == os.path.join(self.drive_c, "qrw_nlog"):
            return "c:\\qrw_nlog"
        return wine.windows_path(path)

    def lines_match(self, lines, wanted, values):
        """Exact lines; a wanted line beginning with "~ " is a pattern."""
        if len(lines) != len(wanted):
            return False
        for line, want in zip(lines, wanted):
            if want.startswith("~ "):
                pattern = self.expand(want[2:], {k: re.escape(v) for k, v in values.items()})
                if not re.fullmatch(pattern, line):
                    return False
            elif line != self.expand(want, values):
                return False
        return True

    @staticmethod
    def expand(text, values):
        for key, value in values.items():
            text = text.replace("{" + key + "}", value)
        return text

    def check(self, case, expect, result, installer, temp_dir, boxes, directory, held, observed):
        code, stdout, stderr = result
        problems = []
        problems += observed["dialogProblems"]
        for wanted in expect.get("traceHas", []):
            if wanted not in observed["trace"]:
                problems.append(f"Wine's trace lacks {wanted!r}")
        for unwanted in expect.get("traceLacks", []):
            if unwanted in observed["trace"]:
                problems.append(f"Wine's trace has {unwanted!r}")
        if "installStarted" in expect and observed.get("installStarted") != expect["installStarted"]:
            problems.append(f"InstallStarted is {observed['installStarted']!r}, expected {expect['installStarted']!r}")
        logs = self.find_logs(temp_dir, case)
        values = {"exe": wine.windows_path(installer), "temp": wine.windows_path(temp_dir),
                  "semaphore": wine.windows_path(installer).lower().replace("\\", "_"),
                  "cwd": wine.windows_path(os.path.join(directory, case["cwd"]) if "cwd" in case else os.getcwd()),
                  "exedir": wine.windows_path(os.path.dirname(installer)) + "\\",
                  "rt": wine.windows_path(os.path.join(directory, "rt")), "bits": observed["bits"]}
        with open(installer, "rb") as f:
            data = f.read()
        values.update((k, str(v)) for k, v in payload.headers(data).items())
        try:
            values["unextracted"] = str(payload.unextracted_position(data))
        except (struct.error, ValueError):
            pass  # a payload damaged before its included files
        if held:
            values.update(semaphore=held.semaphore, heldPid=str(held.pid))
            if "heldWindow" in expect and held.state != expect["heldWindow"]:
                problems.append(f"first copy's window {held.state!r}, expected {expect['heldWindow']!r}")
        if len(logs) == 1:
            values["log"] = self.windows_log_path(logs[0])
            with open(logs[0], "rb") as f:
                work = re.search(rb"\r\nTemp dir: ([^\r]*)\r\n", f.read())
            if work:
                values["work"] = work.group(1).decode(ANSI)
        if code != expect.get("exit", 0):
            problems.append(f"exit code {code}, expected {expect.get('exit', 0)}")
        for stream, data in (("stdout", stdout), ("stderr", stderr)):
            actual = data.decode(ANSI).replace("\r\n", "\n")
            if stream + "Pattern" in expect:
                pattern = self.expand(expect[stream + "Pattern"], {k: re.escape(v) for k, v in values.items()})
                if not re.fullmatch(pattern, actual, re.S):
                    problems.append(f"{stream} {actual!r} does not match {expect[stream + 'Pattern']!r}")
            elif actual != self.expand(expect.get(stream, ""), values):
                problems.append(f"{stream} {actual!r}, expected {self.expand(expect.get(stream, ''), values)!r}")
        kept = expect.get("logKept", any(k in expect for k in ("log", "logHas", "logPatterns", "logLacks")))
        if kept == "any":
            kept = len(logs) == 1
        if kept and len(logs) != 1:
            problems.append(f"expected one kept log, found {len(logs)}")
        if not kept and logs:
            problems.append(f"log was not deleted: {logs}")
        if kept and len(logs) == 1:
            try:
                lines = self.read_log(logs[0], installer)
                if "log" in expect and not self.lines_match(lines, expect["log"], values):
                    problems.append("log lines differ:\n    " + "\n    ".join(lines))
                position = 0
                for pattern in expect.get("logPatterns", []):
                    pattern = self.expand(pattern, {k: re.escape(v) for k, v in values.items()})
                    while position < len(lines) and not re.fullmatch(pattern, lines[position]):
                        position += 1
                    if position == len(lines):
                        problems.append(f"log lacks a line matching {pattern!r} (in order)")
                        break
                for unwanted in expect.get("logLacks", []):
                    if self.expand(unwanted, values) in lines:
                        problems.append(f"log has {unwanted!r}")
                position = 0
                for wanted in expect.get("logHas", []):
                    wanted = self.expand(wanted, values)
                    while position < len(lines) and lines[position] != wanted:
                        position += 1
                    if position == len(lines):
                        problems.append(f"log lacks {wanted!r} (in order)")
                        break
            except Failure as e:
                problems.append(str(e))
        if any(k in expect for k in ("report", "options", "mainArgs")):
            problems += self.check_report(expect, directory, values)
        for relative in expect.get("absentFiles", []):
            if os.path.exists(os.path.join(directory, relative)):
                problems.append(f"{relative} exists")
        for relative, content in expect.get("workContains", {}).items():
            path = os.path.join(self.unix_path(values["work"]), relative.replace("\\", "/")) if values.get("work") else None
            if not path or not os.path.isfile(path):
                problems.append(f"work directory lacks {relative}")
            elif content is not None and open(path, "rb").read() != content.encode("utf-8"):
                problems.append(f"{relative} differs")
        for relative in expect.get("workLacks", []):
            if values.get("work") and os.path.exists(os.path.join(self.unix_path(values["work"]), relative.replace("\\", "/"))):
                problems.append(f"work directory holds {relative}")
        if "peChecks" in expect:
            problems += [f"PE check: {p}" for p in check_stubs.check_built(
                installer, 0x14C if observed["bits"] == "32" else 0x8664, expect["peChecks"]["level"])]
        if "versionInfo" in expect:
            problems += self.check_version_info(observed["session"], installer, expect["versionInfo"])
        if expect.get("signs"):
            problems += sign_and_verify(installer, directory)
        if expect.get("jreMatchesSource"):
            problems += self.check_unpacked_source(case["archive"], values.get("work"), directory)
        if "workFiles" in expect:
            problems += self.check_work_files(expect["workFiles"], values.get("work"), temp_dir, directory)
        if "box" in expect:
            wanted = self.expand(expect["box"], values)
            first = boxes[0] if boxes else None
            if first != wanted:
                problems.append(f"message box {first!r}, expected {wanted!r}")
        if "boxes" in expect:
            wanted = [self.expand(b, values) for b in expect["boxes"]]
            if boxes != wanted:
                problems.append(f"message boxes {boxes!r}, expected {wanted!r}")
        if problems:
            raise Failure("; ".join(problems))

    def check_report(self, expect, directory, values):
        """What the test runtime received: report events matched in order
        (each wanted object a subset of one line), the exact option strings,
        the exact arguments of main."""
        path = os.path.join(directory, "report.jsonl")
        if not os.path.exists(path):
            return ["the test runtime wrote no report"]
        with open(path, encoding="ascii") as f:
            events = [json.loads(line) for line in f if line.strip()]
        problems = []
        expand = lambda v: self.expand(v, values) if isinstance(v, str) else v
        position = 0
        for wanted in expect.get("report", []):
            wanted = {k: expand(v) for k, v in wanted.items()}
            while position < len(events) and any(events[position].get(k) != v for k, v in wanted.items()):
                position += 1
            if position == len(events):
                problems.append(f"report lacks {wanted} (in order)")
                break
            position += 1
        if "options" in expect:
            options = [e["optionString"].encode("latin-1").decode(ANSI) for e in events if e["event"] == "option"]
            wanted = [expand(o) for o in expect["options"]]
            if options != wanted:
                problems.append(f"options {options}, expected {wanted}")
        if "mainArgs" in expect:
            calls = [e for e in events if e["event"].startswith("CallStaticVoidMethod") and e.get("method") == "main"]
            got = calls[0]["args"] if calls else None
            wanted = [expand(a) for a in expect["mainArgs"]]
            if got != wanted:
                problems.append(f"main received {got}, expected {wanted}")
        return problems

    def unix_path(self, windows):
        if windows[:2].lower() == "z:":
            return windows[2:].replace("\\", "/")
        if windows[:2].lower() == "c:":
            return os.path.join(self.drive_c, windows[3:].replace("\\", "/"))
        drive = os.path.realpath(os.path.join(self.build, "wineprefix", "dosdevices", windows[:2].lower()))
        return os.path.join(drive, windows[3:].replace("\\", "/"))

    def check_version_info(self, session, installer, wanted):
        """The version resource as tests/win/version_info.cpp reads it with
        GetFileVersionInfoW: exactly the wanted versions and strings."""
        probe = os.path.join(self.build, "win64", "version_info.exe")
        result = session.wine(probe, wine.windows_path(installer))
        if result.returncode != 0:
            return [f"version_info ended with {result.returncode}: {result.stderr.decode(ANSI, 'replace')[-300:]}"]
        found = json.loads(result.stdout.decode("utf-8"))
        return [] if found == wanted else [f"version resource {found}, expected {wanted}"]

    def check_unpacked_source(self, recipe, work, directory):
        """The runtime directory holds exactly the regular files of the tree
        the archive was made of, each with the same bytes (below the home
        directory when the archive holds its runtime inside one)."""
        if not work:
            return ["the log names no work directory"]
        unpacked = runtimes.regular_files(os.path.join(self.unix_path(work), "jre"))
        source = runtimes.regular_files(runtimes.source_root(recipe, directory))
        home = recipe["home"] + "/" if "home" in recipe else ""
        source = {home + path: data for path, data in source.items()}
        problems = [f"jre lacks {path}" for path in sorted(source.keys() - unpacked.keys())]
        problems += [f"jre holds {path}, not in the source" for path in sorted(unpacked.keys() - source.keys())]
        problems += [f"jre/{path} differs" for path in sorted(source.keys() & unpacked.keys())
                     if source[path] != unpacked[path]]
        if not source:
            problems.append("the source tree is empty")
        return problems[:12] + ([f"... {len(problems) - 12} more"] if len(problems) > 12 else [])

    def check_work_files(self, wanted, work, temp_dir, directory):
        """The work directory holds exactly the wanted files: "@fixture"
        stands for that fixture's bytes. None: no work directory at all."""
        if wanted is None:
            leftovers = [n for n in os.listdir(temp_dir) if re.match(r"ltr.*\.tmp_dir", n)]
            if work and os.path.exists(self.unix_path(work)):
                leftovers.append(work)
            return [f"work directory left behind: {leftovers}"] if leftovers else []
        if not work:
            return ["the log names no work directory"]
        root = self.unix_path(work)
        found = {}
        for folder, _, files in os.walk(root):
            for name in files:
                path = os.path.join(folder, name)
                with open(path, "rb") as f:
                    found[os.path.relpath(path, root)] = f.read()
        expected = {}
        for name, content in wanted.items():
            if content.startswith("@"):
                with open(os.path.join(directory, content[1:]), "rb") as f:
                    expected[name] = f.read()
            else:
                expected[name] = content.encode("utf-8")
        if found.keys() != expected.keys():
            return [f"work directory holds {sorted(found)}, expected {sorted(expected)}"]
        return [f"{name} differs" for name in expected if found[name] != expected[name]]

    # --- running ----------------------------------------------------------

    def run_case(self, session, case, stub, directory, display=None):
        shutil.rmtree(directory, ignore_errors=True)
        os.makedirs(directory)
        temp_dir = os.path.join(directory, case.get("tempName", "tmp"))
        os.makedirs(temp_dir)
        bits = "32" if os.path.basename(stub) == "launcher.exe" else "64"
        env = dict(case.get("env", {}))
        manifest = self.prepare_runtime(case, bits, directory, env)
        installer = self.build_installer(case, stub, directory, manifest)
        self.damage(installer, case.get("damage"))
        gui = case.get("gui")
        with prefix_setup(self, case.get("prefix", {})) as windows_temp, \
                first_copy(self, session, installer, case.get("holdInstance")) as held:
            run_temp = windows_temp or temp_dir
            first = self.start_first_copy(session, case, installer, directory, env) if case.get("runningFirstCopy") else None
            cwd = os.path.join(directory, case["cwd"]) if "cwd" in case else None
            if gui or display or "installStarted" in case or "installStarted" in case.get("expect", {}):
                self.set_marker(session, case)
            observed = {"bits": bits, "trace": "", "dialogProblems": [], "session": session}
            if gui:
                values = {"bits": bits, "rt": wine.windows_path(os.path.join(directory, "rt"))}
                result, boxes, observed["dialogProblems"] = self.run_dialog(session, case, installer, run_temp, env,
                                                                            display, directory, cwd, values)
            else:
                result = session.run(installer, case.get("tail", ""), run_temp, env, case.get("timeout", 30), cwd=cwd,
                                     wine_debug="-all,trace+process" if case.get("processTrace") else None)
                boxes = None
            if case.get("processTrace"):
                result, observed["trace"] = split_trace(result)
            if "installStarted" in case.get("expect", {}):
                observed["installStarted"] = session.reg_query(self.MARKER_KEY, "InstallStarted")
                session.reg_delete(self.MARKER_KEY, "InstallStarted")
            # Checked before the prefix is put back: the files may live there.
            if windows_temp:
                temp_dir = self.unix_path(windows_temp)
            if held:
                held.finish()
            if first:
                code = first.result(timeout=120)[0]
                if code != 0:
                    raise Failure(f"the first copy ended with {code}")
            if "download" in case:
                self.server.stop()
            self.check(case, case.get("expect", {}), result, installer, temp_dir, boxes, directory, held, observed)

    def start_first_copy(self, session, case, installer, directory, env):
        """Starts the same installer, whose Java side stays in main for a
        while (scenario mainSeconds), and waits until main runs."""
        first_temp = os.path.join(directory, "first-copy-tmp")
        os.makedirs(first_temp, exist_ok=True)
        pool = concurrent.futures.ThreadPoolExecutor(1)
        future = pool.submit(session.run, installer, case.get("tail", ""), first_temp, env, 60)
        pool.shutdown(wait=False)
        report = os.path.join(directory, "report.jsonl")
        deadline = time.time() + 30
        while time.time() < deadline and not future.done():
            if os.path.exists(report) and '"method":"main"' in open(report, encoding="ascii").read():
                return future
            time.sleep(0.1)
        raise Failure("the first copy never reached main")

    def run_dialog(self, session, case, installer, temp_dir, env, display, directory, cwd=None, values=None):
        """Runs a case that opens message boxes: for each step (the case's
        "gui", then each of its "then"), waits for a new window, takes a
        screenshot, presses the keys. Reads the boxes' texts from Wine's
        message-box trace; the first is the case's "box", all are "boxes"."""
        steps = [case["gui"]] + case["gui"].get("then", [])

        def run():
            return session.run(installer, case.get("tail", ""), temp_dir, env, case.get("timeout", 60),
                               wine_debug="-all,trace+msgbox", cwd=cwd)

        seen = set()
        probe_problems = []
        with concurrent.futures.ThreadPoolExecutor(1) as pool:
            future = pool.submit(run)
            x_env = dict(os.environ, DISPLAY=display)
            for number, step in enumerate(steps):
                window = None
                deadline = time.time() + step.get("within", 30)
                while time.time() < deadline and not future.done():
                    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname",
                                            os.path.basename(installer)], env=x_env, capture_output=True, text=True)
                    # A box owned by the progress window comes after it;
                    # the topmost window is listed last.
                    windows = [w for w in found.stdout.split() if step.get("reuse") or w not in seen]
                    if len(windows) >= step.get("windows", 1):
                        window = windows[0] if step.get("target") == "first" else windows[-1]
                        break
                    time.sleep(0.2)
                if not window:
                    future.result()
                    raise Failure(f"no window appeared for step {number + 1}")
                seen.add(window)
                if "windowsShow" in step:
                    # Polled until the windows show as wanted, for states
                    # the launcher reaches some time after the window came.
                    time.sleep(step.get("settle", 1.0))
                    wanted = json.loads(self.expand(json.dumps(step["windowsShow"]), values or {}))
                    shown_by = time.time() + step.get("showWithin", 0)
                    problems = self.probe_windows(session, wanted, number)
                    while problems and time.time() < shown_by and not future.done():
                        time.sleep(0.3)
                        problems = self.probe_windows(session, wanted, number)
                    probe_problems += problems
                    if "showWithin" in step:
                        time.sleep(step.get("settle", 1.0))
                if "screenColours" in step:
                    probe_problems += self.check_screen_colours(step["screenColours"], x_env, directory, number)
                if step.get("screenshot"):
                    time.sleep(0.5)
                    subprocess.run(["import", "-window", "root" if step.get("windows", 1) > 1 else window,
                                    os.path.join(directory, f"screenshot{number or ''}.png")], env=x_env, check=False)
                if "type" in step:
                    time.sleep(1.0)
                    subprocess.run(["xdotool", "type", "--delay", "20", self.expand(step["type"], values or {})],
                                   env=x_env, capture_output=True)
                for key in step.get("keys", []):
                    subprocess.run(["xdotool", "key", "--window", window, key], env=x_env, capture_output=True)
                    time.sleep(0.3)
            code, stdout, stderr = future.result()
        trace = stderr.decode(ANSI, "replace")
        boxes = [unescape_trace(m.group(1)) for m in re.finditer(r'trace:msgbox:\w+ L"((?:[^"\\]|\\.)*)"', trace)]
        wine_lines = [l for l in trace.splitlines(True) if not re.match(r"^[0-9a-f]{4}:", l)]
        return (code, stdout, "".join(wine_lines).encode(ANSI, "replace")), boxes, probe_problems

    @staticmethod
    def check_screen_colours(wanted, x_env, directory, number):
        """A screenshot of the display holds at least (or, for 0, no) pixels
        of each colour: {"ff0000": 500} for an icon in the windows."""
        shot = os.path.join(directory, f"colours{number or ''}.png")
        time.sleep(0.5)
        subprocess.run(["import", "-window", "root", shot], env=x_env, check=True, capture_output=True)
        histogram = subprocess.run(["convert", shot, "-format", "%c", "histogram:info:-"], capture_output=True,
                                   text=True, check=True).stdout
        counts = {m.group(2).lower(): int(m.group(1)) for m in re.finditer(r"^\s*(\d+):.*#([0-9A-Fa-f]{6})", histogram, re.M)}
        problems = []
        for colour, least in wanted.items():
            found = counts.get(colour.lower(), 0)
            if (least == 0 and found) or found < least:
                problems.append(f"step {number + 1}: {found} pixels of #{colour} on the screen, expected "
                                f"{'none' if least == 0 else f'at least {least}'}")
        return problems

    def probe_windows(self, session, wanted, number):
        """The launcher's visible dialogs as tests/win/window_probe.cpp reads
        them, against the wanted ones: each names a title and, per control
        id, the members that must match (text, visible, enabled, position,
        range)."""
        probe = os.path.join(self.build, "win64", "window_probe.exe")
        result = subprocess.run([wine.WINE64, probe], env=session.env, capture_output=True, timeout=60)
        shown = [json.loads(line) for line in result.stdout.decode("utf-8").splitlines() if line.strip()]
        problems = []
        for want in wanted:
            matches = [w for w in shown if w["title"] == want["title"] and
                       all(any(str(c["id"]) == cid and all(c.get(k) == v for k, v in members.items())
                               for c in w["controls"]) for cid, members in want.get("controls", {}).items())]
            if not matches:
                problems.append(f"step {number + 1}: no window like {want}; shown: {shown}")
        return problems


def sign_and_verify(installer, directory):
    """Signs a copy of the built file with a throwaway code-signing
    certificate and verifies the signature, as a vendor would after building."""
    key, cert, signed = (os.path.join(directory, n) for n in ("sign-key.pem", "sign-cert.pem", "signed.exe"))
    steps = [["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days", "2",
              "-subj", "/CN=Branding Test", "-addext", "extendedKeyUsage=codeSigning"],
             ["osslsigncode", "sign", "-certs", cert, "-key", key, "-n", "Branded setup", "-in", installer,
              "-out", signed],
             ["osslsigncode", "verify", "-CAfile", cert, "-in", signed]]
    for command in steps:
        result = subprocess.run(command, capture_output=True, text=True, errors="replace")
        if result.returncode != 0:
            return [f"{command[0]} {command[1]} failed: {(result.stdout + result.stderr)[-400:]}"]
    return []


def split_trace(result):
    """Wine's trace lines ("0123:trace:...") apart from the program's error stream."""
    code, stdout, stderr = result
    lines = stderr.decode(ANSI, "replace").splitlines(True)
    trace = "".join(l for l in lines if re.match(r"^[0-9a-f]{4}:", l))
    rest = "".join(l for l in lines if not re.match(r"^[0-9a-f]{4}:", l))
    return (code, stdout, rest.encode(ANSI, "replace")), trace


class Skip(Exception):
    pass


class HeldInstance:
    """A process that holds a launcher file's instance semaphore and pids
    value, as a running first copy would (tests/win/hold_instance.cpp)."""

    def __init__(self, runner, session, installer, window):
        key = wine.windows_path(installer).lower()
        self.semaphore = key.replace("\\", "_")
        program = os.path.join(runner.build, "win64", "hold_instance.exe")
        self.process = subprocess.Popen([wine.WINE64, program, self.semaphore, key, window], env=session.env,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True)
        ready = self.process.stdout.readline().split()
        if len(ready) != 2 or ready[0] != "ready":
            self.process.kill()
            raise Failure(f"the first copy did not start: {ready}")
        self.pid = int(ready[1])
        self.state = ""

    def finish(self):
        if self.process.poll() is None:
            out, _ = self.process.communicate("done\n", timeout=30)
            self.state = out.strip()


@contextlib.contextmanager
def first_copy(runner, session, installer, setup):
    if not setup:
        yield None
        return
    held = HeldInstance(runner, session, installer, setup.get("window", "none"))
    try:
        yield held
    finally:
        if held.process.poll() is None:
            held.process.kill()
            held.process.wait()


@contextlib.contextmanager
def prefix_setup(runner, setup):
    """Changes to the Wine prefix for one case that runs alone, undone
    afterwards: "files" replaces these paths under drive_c by plain files
    (so no directory can be made there), "readOnlyDriveC" mounts drive_c
    read-only, "tmpfs" mounts a small filesystem of that size as drive T:
    and yields a directory on it for the temporary directory. New entries
    of drive_c's windows\\temp, temp and tmp and the fallback log go too."""
    drive_c = runner.drive_c
    watched = [os.path.join(drive_c, d) for d in ("windows/temp", "temp", "tmp")]
    before = {d: set(os.listdir(d)) if os.path.isdir(d) else None for d in watched}
    moved, mounts = [], []
    fallback_log = os.path.join(drive_c, "qrw_nlog")
    if os.path.exists(fallback_log):
        os.remove(fallback_log)
    try:
        for relative in setup.get("dirs", []):
            path = os.path.join(drive_c, relative)
            if not os.path.exists(path):
                os.makedirs(path)
                moved.append(path)
        for relative in setup.get("files", []):
            path = os.path.join(drive_c, relative)
            if os.path.exists(path):
                os.rename(path, path + ".case-aside")
                moved.append(path)
            with open(path, "w") as f:
                f.write("in the way\n")
            if path not in moved:
                moved.append(path)
        windows_temp = None
        if "tmpfs" in setup:
            mount_point = runner.drive_t
            mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={setup['tmpfs']}", "tmpfs", mount_point],
                                     capture_output=True, text=True)
            if mounted.returncode != 0:
                raise Skip(f"cannot mount a tmpfs here ({mounted.stderr.strip()})")
            mounts.append(mount_point)
            os.makedirs(os.path.join(mount_point, "tmp"))
            if setup.get("readOnlyTmpfs"):
                subprocess.run(["mount", "-o", "remount,ro", mount_point], check=True)
            windows_temp = "T:\\tmp"
        if setup.get("readOnlyDriveC"):
            for command in (["mount", "--bind", drive_c, drive_c],
                            ["mount", "-o", "remount,bind,ro", drive_c, drive_c]):
                mounted = subprocess.run(command, capture_output=True, text=True)
                if mounted.returncode != 0:
                    raise Skip(f"cannot mount drive_c read-only here ({mounted.stderr.strip()})")
                if command[1] == "--bind":
                    mounts.insert(0, drive_c)
        yield windows_temp
    finally:
        for mount_point in mounts:
            subprocess.run(["umount", mount_point], capture_output=True)
        for path in moved:
            if os.path.isfile(path) and not os.path.islink(path):
                os.remove(path)
            elif os.path.isdir(path) and not os.path.exists(path + ".case-aside"):
                shutil.rmtree(path)
            if os.path.exists(path + ".case-aside"):
                os.rename(path + ".case-aside", path)
        for directory, names in before.items():
            if not os.path.isdir(directory):
                continue
            for name in set(os.listdir(directory)) - (names or set()):
                target = os.path.join(directory, name)
                shutil.rmtree(target) if os.path.isdir(target) else os.remove(target)
            if names is None:
                os.rmdir(directory) if not os.listdir(directory) else None


def unescape_trace(text):
    """Wine's trace writes a UTF-16 text with C escapes and \\xXXXX."""
    simple = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}
    return re.sub(r"\\(x[0-9a-fA-F]{4}|.)",
                  lambda m: chr(int(m.group(1)[1:], 16)) if len(m.group(1)) == 5 else simple.get(m.group(1), m.group(1)),
                  text)


def expand_sweeps(cases, runner, stub, directory):
    """A sweep case cuts its built payload at every offset of the
    configuration part; each cut is one run that must end with the text of
    the read that ran short. The cut at the included-files position itself
    leaves a complete configuration."""
    expanded = []
    for case in cases:
        if "sweep" not in case:
            expanded.append(case)
            continue
        probe = os.path.join(directory, "sweep_" + slug(case["name"]))
        shutil.rmtree(probe, ignore_errors=True)
        os.makedirs(probe)
        with open(runner.build_installer(case, stub, probe), "rb") as f:
            data = f.read()
        fields, end = payload.configuration_fields(data)
        start = payload.payload_start(data)
        for cut in range(start, end + 1):
            one = copy.deepcopy(case)
            del one["sweep"]
            one["name"] = f"{case['name']} (cut at payload+{cut - start})"
            one["damage"] = {"truncatePayloadAt": cut - start}
            if cut == end:
                one["expect"] = case["sweep"]["complete"]
            else:
                read = payload.read_at_cut(fields, cut)
                stdout = "error [0-9]+\n" if read in ("readShort", "readInt", "readLong") else ""
                one["expect"] = {"exit": 1, "stdoutPattern": stdout,
                                 "stderr": f"Internal Error: {read}\n\nLog: {{log}}\n", "logKept": True}
            expanded.append(one)
    return expanded


def runnable_stubs(session, dist, build):
    """launcher.exe runs only where this machine executes 32-bit programs."""
    stubs = []
    code, _, _ = session.run(os.path.join(build, "win32", "trivial.exe"), timeout=30)
    if code == 0:
        stubs.append(os.path.join(dist, "launcher.exe"))
    else:
        print("32-bit programs cannot run here: launcher.exe is checked statically only")
    stubs.append(os.path.join(dist, "launcher64.exe"))
    return stubs


def run_group(runner, session, cases, stubs, display=None, workers=3):
    passed = failed = 0
    jobs = []
    for stub in stubs:
        stub_dir = os.path.join(runner.work, os.path.basename(stub).replace(".exe", ""))
        os.makedirs(stub_dir, exist_ok=True)
        for index, case in enumerate(expand_sweeps(cases, runner, stub, stub_dir)):
            # A slow case may run on one stub only.
            if case.get("onlyStub") and case["onlyStub"] != os.path.basename(stub):
                continue
            jobs.append((stub, case, os.path.join(stub_dir, f"{index:03d}_{slug(case['name'])}")))
    def report(future, stub, case):
        nonlocal passed, failed
        label = f"{os.path.basename(stub):15} {case['source']}: {case['name']}"
        try:
            future.result()
            passed += 1
        except Skip as e:
            print(f"SKIP {label}: {e}")
        except Exception as e:  # a broken case must not stop the others
            failed += 1
            print(f"FAIL {label}\n     {e}")

    # Cases that change the prefix run alone, after the others; so do those
    # that set or read the InstallStarted mark, which every launch writes.
    def alone_case(case):
        return case.get("exclusive") or "installStarted" in case or "installStarted" in case.get("expect", {})
    shared = [j for j in jobs if not alone_case(j[1])]
    alone = [j for j in jobs if alone_case(j[1])]
    with concurrent.futures.ThreadPoolExecutor(1 if display else workers) as pool:
        futures = {pool.submit(runner.run_case, session, case, stub, directory, display): (stub, case)
                   for stub, case, directory in shared}
        for future in concurrent.futures.as_completed(futures):
            report(future, *futures[future])
    with concurrent.futures.ThreadPoolExecutor(1) as pool:
        for stub, case, directory in alone:
            report(pool.submit(runner.run_case, session, case, stub, directory, display), stub, case)
    return passed, failed


def run_windows_tests(session, programs, stubs):
    """Each program prints its own 'N passed, N failed' line; i686 programs
    run only where launcher.exe does."""
    passed = failed = 0
    can_run_32bit = any(os.path.basename(s) == "launcher.exe" for s in stubs)
    for program in programs:
        if wine.pe_machine(program) == 0x14C and not can_run_32bit:
            continue
        code, stdout, stderr = session.run(os.path.abspath(program), timeout=240)
        text = stdout.decode(ANSI, "replace")
        print(f"{program}: " + text.strip().replace("\n", "\n    "))
        if code == 0:
            passed += 1
        else:
            failed += 1
            print(f"FAIL {program}: exit code {code} {stderr.decode(ANSI, 'replace')}")
    return passed, failed


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--dist", default="dist")
    parser.add_argument("--build", default="build")
    parser.add_argument("--cases", default=os.path.join(os.path.dirname(__file__), "cases", "*.json"))
    parser.add_argument("-k", dest="selected", help="only cases whose name matches this pattern")
    parser.add_argument("--windows-tests", nargs="*", default=[],
                        help="Windows unit test programs to run first, in the same Wine session")
    args = parser.parse_args()
    runner = Runner(args)
    cases = load_cases(args.cases, args.selected)
    # A case whose run may end the prefix's session (the restart request)
    # gets a prefix of its own.
    own = [c for c in cases if c.get("prefixOfItsOwn")]
    plain = [c for c in cases if not c.get("gui") and not c.get("display") and not c.get("prefixOfItsOwn")]
    dialogs = [c for c in cases if c.get("gui") or c.get("display")]
    spawn = (os.path.join(runner.build, "win32", "spawn.exe"), os.path.join(runner.build, "win64", "spawn.exe"))

    session = wine.WineSession(runner.build, *spawn, drives=runner.drives)
    try:
        stubs = runnable_stubs(session, runner.dist, runner.build)
        passed, failed = run_windows_tests(session, args.windows_tests, stubs)
        print("Wine cases run on: " + ", ".join(os.path.basename(s) for s in stubs))
        p, f = run_group(runner, session, plain, stubs)
        passed, failed = passed + p, failed + f
    finally:
        session.stop()

    if dialogs:
        display = wine.Xvfb()
        session = wine.WineSession(runner.build, *spawn, display=display.display, drives=runner.drives)
        try:
            p, f = run_group(runner, session, dialogs, stubs, display.display)
            passed, failed = passed + p, failed + f
        finally:
            session.stop()
            display.stop()
    if own:
        session = wine.WineSession(runner.build, *spawn, prefix="wineprefix-own")
        try:
            p, f = run_group(runner, session, own, stubs)
            passed, failed = passed + p, failed + f
        finally:
            session.stop()
    print(f"wine cases: {passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
