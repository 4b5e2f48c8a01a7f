#!/usr/bin/env python3
"""Writes a jar of a directory of classes with the same bytes for the same
classes: the manifest first, then every entry sorted by name, each with one
fixed time stamp and fixed attributes.

usage: make_jar.py CLASSES_DIR OUTPUT.jar [Name: value ...]"""
import os
import sys
import zipfile

STAMP = (2000, 1, 1, 0, 0, 0)


def entry(name):
    info = zipfile.ZipInfo(name, STAMP)
    info.create_system = 0
    info.external_attr = 0o40755 << 16 | 0x10 if name.endswith("/") else 0o644 << 16
    info.compress_type = zipfile.ZIP_STORED if name.endswith("/") else zipfile.ZIP_DEFLATED
    return info


def names(root):
    found = []
    for folder, directories, files in os.walk(root):
        relative = os.path.relpath(folder, root).replace(os.sep, "/")
        if relative != ".":
            found.append(relative + "/")
        found.extend((name if relative == "." else f"{relative}/{name}") for name in files)
    return sorted(found)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    root, output, attributes = argv[1], argv[2], argv[3:]
    manifest = "".join(f"{line}\r\n" for line in ["Manifest-Version: 1.0"] + attributes) + "\r\n"
    partial = output + ".part"
    with zipfile.ZipFile(partial, "w") as jar:
        jar.writestr(entry("META-INF/"), b"")
        jar.writestr(entry("META-INF/MANIFEST.MF"), manifest.encode("utf-8"), compresslevel=9)
        for name in names(root):
            jar.writestr(entry(name), b"" if name.endswith("/") else read(os.path.join(root, name)), compresslevel=9)
    os.replace(partial, output)


if __name__ == "__main__":
    main(sys.argv)
