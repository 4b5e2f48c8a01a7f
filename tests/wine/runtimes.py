"""Runtime trees and runtime archives made of the test runtime
(build/win{32,64}/runtime): a tree laid out on disk for the search to find,
and "jre.tar.gz" archives for the included-runtime cases, made with GNU tar
and gzip or, for entries GNU tar would not write, with Python's tarfile;
and archives of a source tree as the tools people use write them (GNU tar,
bsdtar, busybox tar, Python's tarfile, 7-Zip), whose unpacked files are
compared with that tree."""
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
    """GNU tar of a tree: the test runtime (unless "runtime" is false),
    "files" (path: text) and "zeroFiles" (path: size), in the order tar
    walks them."""
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
    for path, size in recipe.get("zeroFiles", {}).items():
        target = os.path.join(tree, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.truncate(size)
    members = recipe.get("members", sorted(os.listdir(tree)))
    command = ["tar", "-cf", "-", "-C", tree] + recipe.get("tarOptions", []) + (members or ["--files-from=/dev/null"])
    return subprocess.run(command, check=True, capture_output=True).stdout


JDK_HOME = "/usr/lib/jvm/java-17-openjdk-amd64"


def _fit(prefix, length, tail=".txt"):
    """prefix, then 50-character directories and a file name, length characters
    in all; the last separator stays within the first 156 and the file name
    within 100, so that even the ustar format can hold it."""
    path = prefix
    while length - len(path) > 99:
        room = min(50, length - len(path) - 100, 155 - len(path))
        if room < 1:
            raise ValueError(f"no ustar split for a name of {length}")
        path += "d" * room + "/"
    return path + "f" * (length - len(path) - len(tail)) + tail


def name_tree(root):
    """Names of 99, 100, 101, 155, 200 and 255 characters, a deep path,
    names outside every ANSI code page, and a hard link."""
    files = {_fit(f"len{n}/", n): f"{n} characters\n" for n in (99, 100, 101, 155, 200, 255)}
    files["deep/" + "".join(f"l{i:02d}/" for i in range(36)) + "bottom.txt"] = "deep\n"
    files["unicode/Grüße aus Köln.txt"] = "ü\n"
    files["unicode/東京/Ж дом.txt"] = "cjk and cyrillic\n"
    files["unicode/emoji-\U0001F600.txt"] = "outside the BMP\n"
    files["lib/original.bin"] = "linked " * 100
    for path, text in files.items():
        target = os.path.join(root, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "w", encoding="utf-8") as f:
            f.write(text)
    os.link(os.path.join(root, "lib/original.bin"), os.path.join(root, "lib/linked.bin"))


def source_tree(recipe, build, bits, work):
    """The tree a "producer" recipe packs: parts of "tree" (runtime, names,
    jdk: the machine's OpenJDK home, its symbolic links followed) laid out in
    work/archive-source/<home>. Returns (the directory the tool runs in,
    the tree's root)."""
    parent = os.path.join(work, "archive-source")
    shutil.rmtree(parent, ignore_errors=True)
    root = source_root(recipe, work)
    os.makedirs(root)
    parts = recipe["tree"]
    if "jdk" in parts:
        shutil.copytree(JDK_HOME, root, symlinks=False, ignore_dangling_symlinks=True, dirs_exist_ok=True)
    if "runtime" in parts:
        lay_out(build, bits, root)
    if "names" in parts:
        name_tree(root)
    return (parent if "home" in recipe else root), root


def source_root(recipe, work):
    """Where source_tree laid out the tree of a "producer" recipe."""
    return os.path.join(work, "archive-source", recipe.get("home", "tree"))


def regular_files(root):
    """Every regular file below root: its path with "/" and its bytes."""
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            if os.path.isfile(path) and not os.path.islink(path):
                with open(path, "rb") as f:
                    found[os.path.relpath(path, root).replace(os.sep, "/")] = f.read()
    return found


def _members(recipe, cwd, root):
    """What the tool is given: "." (directory entries included), the home
    directory, or every file alone ("files": no directory entries)."""
    if recipe.get("members") != "files":
        return [recipe["home"]] if "home" in recipe else ["."]
    found = []
    for folder, _, names in os.walk(root):
        found += [os.path.relpath(os.path.join(folder, n), cwd) for n in names]
    return sorted(found)


def _producer_archive(recipe, build, bits, work):
    cwd, root = source_tree(recipe, build, bits, work)
    members = _members(recipe, cwd, root)
    options = recipe.get("tarOptions", [])
    env = dict(os.environ, LC_ALL="C.UTF-8")
    tool = recipe["producer"]
    if tool == "python":
        raw = io.BytesIO()
        formats = {"gnu": tarfile.GNU_FORMAT, "pax": tarfile.PAX_FORMAT, "ustar": tarfile.USTAR_FORMAT}
        if members == ["."]:
            members = sorted(os.listdir(cwd))  # names without "./", which would not fit ustar's fields
        with tarfile.open(fileobj=raw, mode="w", format=formats[recipe["format"]]) as archive:
            for member in members:
                archive.add(os.path.join(cwd, member), arcname=member, recursive=recipe.get("members") != "files")
        return raw.getvalue()
    output = os.path.join(work, "producer.tar")
    if os.path.exists(output):
        os.remove(output)
    listing = os.path.join(work, "producer-members.txt")
    with open(listing, "w", encoding="utf-8") as f:
        f.writelines(m + "\n" for m in members)
    commands = {
        "gnu": ["tar", "-cf", output] + options + ["--no-recursion" if recipe.get("members") == "files" else "--recursion",
                                                   "-T", listing],
        "bsdtar": ["bsdtar", "-cf", output] + options + (["-n"] if recipe.get("members") == "files" else []) +
                  ["-T", listing],
        "busybox": ["busybox", "tar", "-cf", output] + options + members,
        "7zip": [shutil.which("7zz") or "7z", "a", "-ttar", "-bd", "-bso0"] + options + [output, "@" + listing],
    }
    subprocess.run(commands[tool], cwd=cwd, env=env, check=True, capture_output=True)
    with open(output, "rb") as f:
        return f.read()


def make_archive(recipe, build, bits, work):
    """Writes work/jre.tar.gz and returns its path. "cutGzip" keeps that
    many bytes of the compressed file; "writeGzip" patches it; "gzipLevel"
    trades size for time."""
    if "producer" in recipe:
        tar_bytes = _producer_archive(recipe, build, bits, work)
    elif recipe.get("tool") == "python":
        tar_bytes = _python_archive(recipe, build, bits)
    else:
        tar_bytes = _gnu_archive(recipe, build, bits, work)
    level = [f"-{recipe['gzipLevel']}"] if "gzipLevel" in recipe else []
    data = subprocess.run(["gzip", "-n", "-c"] + level, input=tar_bytes, check=True, capture_output=True).stdout
    data = _patched(data, recipe.get("writeGzip", []))
    if "cutGzip" in recipe:
        data = data[:recipe["cutGzip"]]
    path = os.path.join(work, "jre.tar.gz")
    with open(path, "wb") as f:
        f.write(data)
    return path
