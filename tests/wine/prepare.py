"""Everything a case needs on disk before its run: the fixtures and the
built installer, the test runtime as the case wants it (scenario, runtime
trees, archives, the download's loopback server), the damage done to the
built file, and the runs a sweep case stands for."""
import contextlib
import copy
import json
import os
import random
import re
import shutil
import struct
import subprocess

import http_server
import icons
import payload
import runtimes
import wine
from checks import ANSI, Failure


def slug(text):
    return re.sub(r"[^A-Za-z0-9]+", "_", text).strip("_")[:60]


def build_installer(paths, case, stub, directory, manifest):
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
    manifest_path = os.path.join(directory, "manifest.json")
    with open(manifest_path, "w", encoding="utf-8") as f:
        json.dump(manifest, f, ensure_ascii=False)
    result = subprocess.run([paths.builder, "build", manifest_path, "-o", installer, "--stub", stub],
                            capture_output=True, text=True)
    if result.returncode != 0:
        raise Failure(f"builder failed: {result.stderr.strip()}")
    return installer


@contextlib.contextmanager
def download_server(paths, case, bits, directory):
    """The case's own loopback server, serving the archive the case names;
    None for a case without a download."""
    if "download" not in case:
        yield None
        return
    archive = runtimes.make_archive(case["download"].get("archive", {}), paths.build, bits, directory)
    served = os.path.join(directory, "served.tar.gz")
    os.replace(archive, served)
    server = http_server.Server(served)
    try:
        yield server
    finally:
        server.stop()


def prepare_runtime(paths, case, bits, directory, env, server):
    """The test runtime of the stub's bitness, as the case wants it: a
    scenario for it, a runtime tree in {directory}/rt that the search finds
    through LANTOR_TEST_JRE, a "jre.tar.gz" among the included files, the
    download location of the case's server. Returns the manifest to build."""
    build = paths.build
    manifest = copy.deepcopy(case.get("manifest", {}))
    if "scenario" in case:
        scenario = os.path.join(directory, "scenario.txt")
        with open(scenario, "w", encoding="utf-8") as f:
            f.write("report=report.jsonl\n")
            f.writelines(f"{key}={value}\n" for key, value in case["scenario"].items())
        env["LANTOR_TEST_SCENARIO"] = wine.windows_path(scenario)
    if case.get("installedRuntime"):
        runtimes.lay_out(build, bits, os.path.join(directory, "rt"))
        if case["installedRuntime"] == "dependency":
            runtimes.use_dependency_variant(build, bits, os.path.join(directory, "rt"),
                                            case.get("dependencyInRuntime", True))
        if case.get("otherBitnessRuntime"):
            other = "64" if bits == "32" else "32"
            runtimes.lay_out(build, other, os.path.join(directory, "rt-other"))
            env["LANTOR_TEST_OTHER_JRE"] = wine.windows_path(os.path.join(directory, "rt-other"))
        for place in case.get("plantDependency", []):
            target = directory if place == "exedir" else os.path.join(directory, case["cwd"])
            os.makedirs(target, exist_ok=True)
            runtimes.plant_dependency(build, bits, target)
        env["LANTOR_TEST_JRE"] = wine.windows_path(os.path.join(directory, "rt"))
        manifest.setdefault("records", {}).setdefault("jvmSearchSequence", "ELANTOR_TEST_JRE")
    if "archive" in case:
        runtimes.make_archive(case["archive"], build, bits, directory)
        manifest.setdefault("files", []).append("jre.tar.gz")
    if server:
        if case["download"].get("plantWininet"):
            # Any library of that name beside the installer; it has none of WinINet's functions.
            shutil.copyfile(runtimes.planted_dependency(build, bits), os.path.join(directory, "wininet.dll"))
        manifest.setdefault("records", {})["jreDownloadUrl"] = server.url + case["download"]["path"]
    if "cwd" in case:
        cwd = os.path.join(directory, case["cwd"])
        os.makedirs(cwd, exist_ok=True)
        if case.get("cwdRuntime"):
            runtimes.lay_out(build, bits, os.path.join(cwd, "jre"))
        if "cwdArchive" in case:
            runtimes.make_archive(case["cwdArchive"], build, bits, cwd)
    return manifest


def damage(installer, wanted):
    """Patches the built file: bytes at payload or included-files offsets,
    8-bit record texts rewritten in place or replaced by texts of another
    length, then a cut."""
    if not wanted:
        return
    with open(installer, "rb") as f:
        data = bytearray(f.read())
    start = payload.payload_start(data)
    fields, included = payload.configuration_fields(data)
    for offset, hex_bytes in wanted.get("writePayload", []):
        patch = bytes.fromhex(hex_bytes)
        data[start + offset:start + offset + len(patch)] = patch
    for offset, hex_bytes in wanted.get("writeIncluded", []):
        patch = bytes.fromhex(hex_bytes)
        data[included + offset:included + offset + len(patch)] = patch
    for record_id, text in wanted.get("recordText", {}).items():
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
    for record_id, text in wanted.get("recordTextOfAnyLength", {}).items():
        # Stored as an older builder could: the text and its length are
        # replaced, and what follows moves along.
        fields, _ = payload.configuration_fields(data)
        for id_field, length_field, text_field in zip(fields[2::3], fields[3::3], fields[4::3]):
            if struct.unpack_from("<i", data, id_field.offset)[0] == int(record_id) and \
                    text_field.read == "readString":
                encoded = text.encode(ANSI)
                data[text_field.offset:text_field.offset + text_field.size] = encoded
                struct.pack_into("<i", data, length_field.offset, len(encoded))
                break
        else:
            raise Failure(f"no record {record_id} to replace")
    if "truncatePayloadAt" in wanted:
        data = data[:start + wanted["truncatePayloadAt"]]
    if "truncateIncludedAt" in wanted:
        data = data[:included + wanted["truncateIncludedAt"]]
    with open(installer, "wb") as f:
        f.write(data)


def expand_sweeps(paths, cases, stub, directory):
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
        with open(build_installer(paths, case, stub, probe, case.get("manifest", {})), "rb") as f:
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
