"""Runtime trees and runtime archives made of the test runtime
(build/win{32,64}/runtime): a tree laid out on disk for the search to find,
and "jre.tar.gz" archives for the included-runtime cases, made with GNU tar
and gzip or, for entries GNU tar would not write, with Python's tarfile."""
import io
import os
import shutil
import subprocess
import tarfile

# Where the launcher looks for them below a runtime home.
TREE = {"bin/java.exe": "java.exe", "bin/javaw.exe": "java.exe", "bin/client/jvm.dll": "jvm.dll", "bin/unpack200.exe": "unpack200.exe"}


def program(build, bits, name):
    return os.path.join(build, f"win{bits}", "runtime", name)


def lay_out(build, bits, root):
    for path, name in TREE.items():
        target = os.path.join(root, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(program(build, bits, name), target)


def use_dependency_variant(build, bits, root, with_dependency=True):
    """The runtime's jvm.dll becomes jvm_dep.dll, which imports ltrdep.dll;
    the runtime's own ltrdep.dll lies beside it unless told otherwise."""
    client = os.path.join(root, "bin", "client")
    shutil.copyfile(program(build, bits, "jvm_dep.dll"), os.path.join(client, "jvm.dll"))
    if with_dependency:
        shutil.copyfile(program(build, bits, "ltrdep.dll"), os.path.join(client, "ltrdep.dll"))


def planted_dependency(build, bits):
    """The copy of ltrdep.dll that must never be the one loaded."""
    return program(build, bits, os.path.join("planted", "ltrdep.dll"))


def plant_dependency(build, bits, directory):
    shutil.copyfile(planted_dependency(build, bits), os.path.join(directory, "ltrdep.dll"))


def _patched(data, patches):
    """data with each [offset, hex bytes] of patches written over it."""
    data = bytearray(data)
    for offset, hex_bytes in patches:
        patch = bytes.fromhex(hex_bytes)
        data[offset:offset + len(patch)] = patch
    return bytes(data)


def _python_archive(recipe, build, bits):
    """Entries in order: {"name", "type": file|dir|symlink|link, "data" or
    "program", "linkname"}, behind the test runtime's when "runtime" is
    set; ustar unless "format" says gnu; "writeTar" patches the tar bytes."""
    raw = io.BytesIO()
    tar_format = tarfile.GNU_FORMAT if recipe.get("format") == "gnu" else tarfile.USTAR_FORMAT
    entries = list(recipe.get("entries", []))
    if recipe.get("runtime"):
        entries = [{"name": "bin/", "type": "dir"}, {"name": "bin/client/", "type": "dir"}] + \
            [{"name": path, "program": name} for path, name in TREE.items()] + entries
    with tarfile.open(fileobj=raw, mode="w", format=tar_format) as archive:
        for entry in entries:
            info = tarfile.TarInfo(entry["name"])
            kind = entry.get("type", "file")
            data = b""
            if kind == "dir":
                info.type = tarfile.DIRTYPE
            elif kind in ("symlink", "link"):
                info.type = tarfile.SYMTYPE if kind == "symlink" else tarfile.LNKTYPE
                info.linkname = entry["linkname"]
            elif "program" in entry:
                with open(program(build, bits, entry["program"]), "rb") as f:
                    data = f.read()
            else:
                data = entry.get("data", "").encode("utf-8")
            info.size = len(data)
            archive.addfile(info, io.BytesIO(data) if data else None)
    return _patched(raw.getvalue(), recipe.get("writeTar", []))


def _gnu_archive(recipe, build, bits, work):
    """GNU tar of a tree: the test runtime (unless "runtime" is false) and
    "files" (path: text), in the order tar walks them."""
    tree = os.path.join(work, "archive-tree")
    shutil.rmtree(tree, ignore_errors=True)
    os.makedirs(tree)
    if recipe.get("runtime", True):
        lay_out(build, bits, tree)
    for path, text in recipe.get("files", {}).items():
        target = os.path.join(tree, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "w", encoding="utf-8") as f:
            f.write(text)
    members = recipe.get("members", sorted(os.listdir(tree)))
    command = ["tar", "-cf", "-", "-C", tree] + recipe.get("tarOptions", []) + (members or ["--files-from=/dev/null"])
    return subprocess.run(command, check=True, capture_output=True).stdout


def make_archive(recipe, build, bits, work):
    """Writes work/jre.tar.gz and returns its path. "cutGzip" keeps that
    many bytes of the compressed file; "writeGzip" patches it."""
    tar_bytes = _python_archive(recipe, build, bits) if recipe.get("tool") == "python" else _gnu_archive(recipe, build, bits, work)
    data = subprocess.run(["gzip", "-n", "-c"], input=tar_bytes, check=True, capture_output=True).stdout
    data = _patched(data, recipe.get("writeGzip", []))
    if "cutGzip" in recipe:
        data = data[:recipe["cutGzip"]]
    path = os.path.join(work, "jre.tar.gz")
    with open(path, "wb") as f:
        f.write(data)
    return path
