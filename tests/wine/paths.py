"""Where the harness finds the products and keeps its files, and the Unix
form of a Windows path in the project's prefix."""
import os

import wine


class Paths:
    def __init__(self, dist, build):
        self.dist = os.path.abspath(dist)
        self.build = os.path.abspath(build)
        self.work = os.path.join(self.build, "e2e")
        self.builder = os.path.join(self.dist, "ltrbuild")
        self.drive_c = os.path.join(self.build, "wineprefix", "drive_c")
        # Drive T: is where cases mount a small filesystem. Wine reads the
        # drive letters when its server starts, so the letter must exist
        # before any session does.
        self.drive_t = os.path.join(self.work, "drive_t")
        self.drives = {"t:": self.drive_t}
        self.fallback_log = os.path.join(self.drive_c, "qrw_nlog")

    def program(self, bits, name):
        """A Windows test program of the harness (tests/win)."""
        return os.path.join(self.build, f"win{bits}", name)

    def unix_path(self, windows):
        if windows[:2].lower() == "z:":
            return windows[2:].replace("\\", "/")
        if windows[:2].lower() == "c:":
            return os.path.join(self.drive_c, windows[3:].replace("\\", "/"))
        drive = os.path.realpath(os.path.join(self.build, "wineprefix", "dosdevices", windows[:2].lower()))
        return os.path.join(drive, windows[3:].replace("\\", "/"))

    def windows_log_path(self, path):
        """The path the launcher names its log by: on drive T: where the log
        lies there."""
        if path == self.fallback_log:
            return "c:\\qrw_nlog"
        for letter, root in self.drives.items():
            if os.path.commonpath([root, os.path.abspath(path)]) == root:
                return letter.upper() + "\\" + os.path.relpath(path, root).replace("/", "\\")
        return wine.windows_path(path)
