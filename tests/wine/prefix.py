"""The state of the Wine prefix around a run: the InstallStarted mark,
changes to drive_c and mounts for a case that runs alone (undone
afterwards), a process that holds an installer's instance semaphore as a
running first copy would, and the logs a run left."""
import contextlib
import os
import shutil
import subprocess

import wine
from checks import Failure

MARKER_KEY = "HKCU\\SOFTWARE\\orlinde\\lantor"


class Skip(Exception):
    pass


def uses_marker(case):
    return "installStarted" in case or "installStarted" in case.get("expect", {})


def set_marker(session, case):
    """The InstallStarted mark before the run: as the case sets it, else
    absent, so that no unfinished-run question comes up unasked."""
    if "installStarted" in case:
        session.reg_add(MARKER_KEY, "InstallStarted", case["installStarted"],
                        case.get("installStartedType", "REG_DWORD"))
    else:
        session.reg_delete(MARKER_KEY, "InstallStarted")


def take_marker(session):
    """The mark's value after the run, removed."""
    value = session.reg_query(MARKER_KEY, "InstallStarted")
    session.reg_delete(MARKER_KEY, "InstallStarted")
    return value


class HeldInstance:
    """A process that holds a launcher file's instance semaphore and pids
    value, as a running first copy would (tests/win/hold_instance.cpp)."""

    def __init__(self, paths, session, installer, window):
        key = wine.windows_path(installer).lower()
        self.semaphore = key.replace("\\", "_")
        self.process = subprocess.Popen([wine.WINE64, paths.program(64, "hold_instance.exe"), self.semaphore, key,
                                         window], env=session.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True)
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
def held_instance(paths, session, installer, setup):
    if not setup:
        yield None
        return
    held = HeldInstance(paths, session, installer, setup.get("window", "none"))
    try:
        yield held
    finally:
        if held.process.poll() is None:
            held.process.kill()
            held.process.wait()


@contextlib.contextmanager
def prefix_changes(paths, setup):
    """Changes to the Wine prefix for one case that runs alone, undone
    afterwards: "dirs" makes these directories under drive_c, "files"
    replaces these paths by plain files (so no directory can be made
    there), "readOnlyDriveC" mounts drive_c read-only, "tmpfs" mounts a
    small filesystem of that size as drive T: and yields a directory on it
    for the temporary directory. New entries of drive_c's windows\\temp,
    temp and tmp and the fallback log go too."""
    drive_c = paths.drive_c
    watched = [os.path.join(drive_c, d) for d in ("windows/temp", "temp", "tmp")]
    before = {d: set(os.listdir(d)) if os.path.isdir(d) else None for d in watched}
    moved, mounts = [], []
    if os.path.exists(paths.fallback_log):
        os.remove(paths.fallback_log)
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
            mount_point = paths.drive_t
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
            if names is None and not os.listdir(directory):
                os.rmdir(directory)


def find_logs(paths, temp_dir, case):
    """Logs in the temporary directory; for a case that runs alone, also
    the fallback log "c:\\qrw_nlog" of a temporary directory the log could
    not be created in."""
    candidates = [os.path.join(temp_dir, n) for n in sorted(os.listdir(temp_dir))]
    if case.get("exclusive"):
        candidates.append(paths.fallback_log)
    logs = []
    for path in candidates:
        if os.path.isfile(path):
            with open(path, "rb") as f:
                if f.read(19) == b"Started executable ":
                    logs.append(path)
    return logs
