"""The Wine side of the test harness: one prefix per build tree, one
persistent wineserver per session, a private Xvfb display for dialogs, and
runs of Windows programs with the temporary directory, environment and
registry a test wants."""
import os
import shutil
import struct
import subprocess

WINE32 = "/usr/lib/wine/wine"
WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"


def windows_path(path):
    """The Windows form of a Unix path, through Wine's Z: drive; a path
    that already is a Windows one stays as it is."""
    if len(path) > 2 and path[1] == ":" and path[2] == "\\":
        return path
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def pe_machine(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    offset = struct.unpack_from("<I", data, 60)[0]
    return struct.unpack_from("<H", data, offset + 4)[0]


def loader_for(path):
    return WINE32 if pe_machine(path) == 0x14C else WINE64


class Xvfb:
    """A display of our own, so dialogs never reach a developer's screen.
    Xvfb picks a free display number itself and writes it once it accepts
    connections, so two test runs side by side never race for one."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as ready:
            number = ready.readline().strip()
        if not number.isdigit():
            self.process.kill()
            self.process.wait()
            raise RuntimeError("Xvfb did not start")
        self.display = f":{number}"

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class WineSession:
    """A wineserver kept alive for a whole group of runs. A session whose
    first program ran without a display can never show dialogs, so dialog
    tests get a session of their own, started with the display set."""

    def __init__(self, build_dir, spawn32, spawn64, display=None, drives=None, prefix="wineprefix"):
        self.prefix = os.path.join(os.path.abspath(build_dir), prefix)
        self.spawn = {WINE32: spawn32, WINE64: spawn64}
        self.env = dict(os.environ)
        for name in ("DISPLAY", "http_proxy", "https_proxy", "LANTOR_LOG", "QUARROW_LOG",
                     "LANTOR_JAVA_HOME", "QUARROW_JAVA_HOME"):
            self.env.pop(name, None)
        # Wine converts arguments and the environment with the Unix locale.
        self.env.update(WINEPREFIX=self.prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        LC_ALL="C.UTF-8")
        if display:
            self.env["DISPLAY"] = display
        self._create_prefix()
        self.stop()
        # Wine reads the drive letters when its server starts.
        for letter, target in (drives or {}).items():
            link = os.path.join(self.prefix, "dosdevices", letter)
            if os.path.lexists(link) and os.path.realpath(link) != os.path.realpath(target):
                os.remove(link)
            if not os.path.lexists(link):
                os.symlink(target, link)
        # wineserver -p keeps its caller's output open: it must not get ours.
        subprocess.run([WINESERVER, "-p"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True)
        # Wine's own services start with the first program and inherit its
        # pipes; start them here, where nobody reads the output.
        subprocess.run([WINE64, "cmd", "/c", "exit"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=120)

    def _create_prefix(self):
        marker = os.path.join(self.prefix, ".ready")
        if os.path.exists(marker):
            return
        shutil.rmtree(self.prefix, ignore_errors=True)
        subprocess.run([WINE64, "wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True, timeout=300)
        subprocess.run([WINESERVER, "-w"], env=self.env, timeout=300)
        open(marker, "w").close()

    def stop(self):
        """Ends the server and waits until it is gone, so that the next
        session can start its own."""
        for option in ("-k", "-w"):
            subprocess.run([WINESERVER, option], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60)

    def run(self, program, tail="", temp_dir=None, env=None, timeout=30, wine_debug=None, cwd=None):
        """Runs program with the command tail written exactly as given, with
        TMP and TEMP pointing at temp_dir. Returns (exit code, stdout, stderr)
        as bytes; exit code 124 means the program was ended at the timeout."""
        loader = loader_for(program)
        run_env = dict(self.env)
        run_env.update(env or {})
        run_env["SPAWN_COMMAND"] = f'"{windows_path(program)}"' + (f" {tail}" if tail else "")
        run_env["SPAWN_TIMEOUT"] = str(int(timeout * 1000))
        if temp_dir:
            run_env["SPAWN_TEMP"] = windows_path(temp_dir)
        if wine_debug:
            run_env["WINEDEBUG"] = wine_debug
        # spawn ends the program at the timeout; on a busy machine Wine may
        # take a while longer to start spawn and to end both.
        result = subprocess.run([loader, self.spawn[loader]], env=run_env, capture_output=True,
                                timeout=timeout + 120, cwd=cwd)
        return result.returncode, result.stdout, result.stderr

    def wine(self, *arguments, timeout=60):
        """A Wine tool such as reg, in the session's prefix."""
        return subprocess.run([WINE64] + list(arguments), env=self.env, capture_output=True,
                              timeout=timeout)

    def reg_add(self, key, name, value, kind="REG_SZ", view=64):
        result = self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", str(value), "/f",
                           f"/reg:{view}")
        if result.returncode != 0:
            raise RuntimeError(f"reg add {key} {name} failed: {result.stderr!r}")

    def reg_delete(self, key, name=None, view=64):
        arguments = ["reg", "delete", key] + (["/v", name] if name else []) + ["/f", f"/reg:{view}"]
        self.wine(*arguments)

    def reg_query(self, key, name, view=64):
        result = self.wine("reg", "query", key, "/v", name, f"/reg:{view}")
        if result.returncode != 0:
            return None
        for line in result.stdout.decode("latin-1").splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[0] == name:
                return parts[2] if len(parts) == 3 else ""
        return None
