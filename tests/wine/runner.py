"""One case's run from its directory to its problems, and a group of
cases run against every stub, three at a time where they share nothing."""
import concurrent.futures
import os
import re
import shutil
import struct

import checks
import dialogs
import payload
import prefix
import prepare
import wine
from checks import Failure
from prefix import Skip


def case_values(paths, case, installer, temp_dir, directory, bits, logs, held):
    """What the expected texts may name: {exe}, {temp}, {log}, {work}, the
    payload's header values, ..."""
    exe = wine.windows_path(installer)
    values = {"exe": exe, "temp": wine.windows_path(temp_dir), "semaphore": exe.lower().replace("\\", "_"),
              "cwd": wine.windows_path(os.path.join(directory, case["cwd"]) if "cwd" in case else os.getcwd()),
              "exedir": wine.windows_path(os.path.dirname(installer)) + "\\",
              "rt": wine.windows_path(os.path.join(directory, "rt")), "bits": bits}
    with open(installer, "rb") as f:
        data = f.read()
    values.update((k, str(v)) for k, v in payload.headers(data).items())
    try:
        values["unextracted"] = str(payload.unextracted_position(data))
    except (struct.error, ValueError):
        pass  # a payload damaged before its included files
    if held:
        values.update(semaphore=held.semaphore, heldPid=str(held.pid))
    if len(logs) == 1:
        values["log"] = paths.windows_log_path(logs[0])
        with open(logs[0], "rb") as f:
            work = re.search(rb"\r\nTemp dir: ([^\r]*)\r\n", f.read())
        if work:
            values["work"] = work.group(1).decode(checks.ANSI)
    return values


def start_first_copy(session, case, installer, directory, env):
    """Starts the same installer, whose Java side stays in main for a while
    (scenario mainSeconds), and waits until main runs."""
    first_temp = os.path.join(directory, "first-copy-tmp")
    os.makedirs(first_temp, exist_ok=True)
    pool = concurrent.futures.ThreadPoolExecutor(1)
    future = pool.submit(session.run, installer, case.get("tail", ""), first_temp, env, 60)
    pool.shutdown(wait=False)
    report = os.path.join(directory, "report.jsonl")

    def in_main():
        if os.path.exists(report):
            with open(report, encoding="ascii") as f:
                return '"method":"main"' in f.read()
        return False
    if not dialogs.poll(in_main, 60, future.done) or future.done():
        raise Failure("the first copy never reached main")
    return future


def run_case(paths, session, case, stub, directory, display=None):
    shutil.rmtree(directory, ignore_errors=True)
    os.makedirs(directory)
    temp_dir = os.path.join(directory, case.get("tempName", "tmp"))
    os.makedirs(temp_dir)
    bits = "32" if os.path.basename(stub) == "launcher.exe" else "64"
    env = dict(case.get("env", {}))
    expect = case.get("expect", {})
    boxes, trace, install_started = None, "", None
    problems = []
    with prepare.download_server(paths, case, bits, directory) as server:
        manifest = prepare.prepare_runtime(paths, case, bits, directory, env, server)
        installer = prepare.build_installer(paths, case, stub, directory, manifest)
        prepare.damage(installer, case.get("damage"))
        with prefix.prefix_changes(paths, case.get("prefix", {})) as windows_temp, \
                prefix.held_instance(paths, session, installer, case.get("holdInstance")) as held:
            run_temp = windows_temp or temp_dir
            first = start_first_copy(session, case, installer, directory, env) if case.get("runningFirstCopy") \
                else None
            cwd = os.path.join(directory, case["cwd"]) if "cwd" in case else None
            if case.get("gui") or display or prefix.uses_marker(case):
                prefix.set_marker(session, case)
            if case.get("gui"):
                values = {"bits": bits, "rt": wine.windows_path(os.path.join(directory, "rt"))}
                (code, stdout, stderr), boxes, problems = dialogs.run_dialog(
                    paths, session, case, installer, run_temp, env, directory, cwd, values)
            else:
                code, stdout, stderr = session.run(
                    installer, case.get("tail", ""), run_temp, env, case.get("timeout", 30), cwd=cwd,
                    wine_debug="-all,trace+process" if case.get("processTrace") else None)
            if case.get("processTrace"):
                stderr, trace = dialogs.split_trace(stderr)
            if "installStarted" in expect:
                install_started = prefix.take_marker(session)
            # Checked before the prefix is put back: the files may live there.
            if windows_temp:
                temp_dir = paths.unix_path(windows_temp)
            if held:
                held.finish()
            if first:
                first_code = first.result(timeout=120)[0]
                if first_code != 0:
                    raise Failure(f"the first copy ended with {first_code}")
            logs = prefix.find_logs(paths, temp_dir, case)
            values = case_values(paths, case, installer, temp_dir, directory, bits, logs, held)
            run = checks.Observed(code, stdout, stderr, installer=installer, directory=directory, temp_dir=temp_dir,
                                  paths=paths, logs=logs, values=values, boxes=boxes, trace=trace,
                                  install_started=install_started, held=held, case=case, bits=bits,
                                  session=session)
            problems += checks.problems(run, expect)
    if problems:
        raise Failure("; ".join(problems))


def runs_alone(case):
    """Cases that change the prefix run alone, after the others; so do those
    that set or read the InstallStarted mark, which every launch writes."""
    return case.get("exclusive") or prefix.uses_marker(case)


def run_group(paths, session, cases, stubs, display=None, workers=3):
    """Every case on every stub; returns (passed, failed)."""
    passed = failed = 0
    jobs = []
    for stub in stubs:
        stub_dir = os.path.join(paths.work, os.path.basename(stub).replace(".exe", ""))
        os.makedirs(stub_dir, exist_ok=True)
        for index, case in enumerate(prepare.expand_sweeps(paths, cases, stub, stub_dir)):
            # A slow case may run on one stub only.
            if case.get("onlyStub") and case["onlyStub"] != os.path.basename(stub):
                continue
            jobs.append((stub, case, os.path.join(stub_dir, f"{index:03d}_{prepare.slug(case['name'])}")))

    def report(future, stub, case):
        nonlocal passed, failed
        label = f"{os.path.basename(stub):15} {case['source']}: {case['name']}"
        try:
            future.result()
            passed += 1
        except Skip as e:
            print(f"SKIP {label}: {e}", flush=True)
        except Exception as e:  # a broken case must not stop the others
            failed += 1
            print(f"FAIL {label}\n     {e}", flush=True)

    shared = [j for j in jobs if not runs_alone(j[1])]
    alone = [j for j in jobs if runs_alone(j[1])]
    with concurrent.futures.ThreadPoolExecutor(1 if display else workers) as pool:
        futures = {pool.submit(run_case, paths, session, case, stub, directory, display): (stub, case)
                   for stub, case, directory in shared}
        for future in concurrent.futures.as_completed(futures):
            report(future, *futures[future])
    with concurrent.futures.ThreadPoolExecutor(1) as pool:
        for stub, case, directory in alone:
            report(pool.submit(run_case, paths, session, case, stub, directory, display), stub, case)
    return passed, failed

