#!/usr/bin/env python3
"""Static checks of the built stubs, for every machine (also where 32-bit
programs cannot run): PE machine, GUI subsystem, the manifest with its
execution level and common controls, version resource and icon, the DLLs
imported, the size budget, and a last section that ends at the file end so
that the builder can append a payload."""
import struct
import sys

BUDGET = 384 * 1024
ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "comctl32.dll", "advapi32.dll"}
RT_ICON_GROUP, RT_VERSION, RT_MANIFEST = 14, 16, 24
PAYLOAD_MAGIC = 0xE8E413D5


class Pe:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        self.pe = struct.unpack_from("<I", d, 60)[0]
        if d[:2] != b"MZ" or d[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, count = struct.unpack_from("<HH", d, self.pe + 4)
        optional_size = struct.unpack_from("<H", d, self.pe + 20)[0]
        optional = self.pe + 24
        magic = struct.unpack_from("<H", d, optional)[0]
        self.subsystem = struct.unpack_from("<H", d, optional + 68)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.directory = [struct.unpack_from("<II", d, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = []
        for i in range(count):
            name, vsize, va, raw_size, raw_ptr = struct.unpack_from("<8sIIII", d, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), va, vsize, raw_ptr, raw_size))
        self.last_entry_end = self.sections[-1][3] + self.sections[-1][4]
        self.wide = magic != 0x10B

    def offset(self, rva):
        for _, va, vsize, raw_ptr, raw_size in self.sections:
            if va <= rva < va + max(vsize, raw_size):
                return raw_ptr + rva - va
        raise ValueError(f"rva {rva:#x} outside the sections")

    def imports(self):
        rva = self.directory[1][0]
        names = []
        position = self.offset(rva)
        while True:
            name_rva = struct.unpack_from("<IIIII", self.data, position)[3]
            if name_rva == 0:
                return names
            start = self.offset(name_rva)
            names.append(self.data[start:self.data.index(b"\0", start)].decode().lower())
            position += 20

    def resources(self):
        """{type id: [data bytes, ...]} of the resource tree."""
        base = self.offset(self.directory[2][0])
        found = {}

        def entries(offset):
            named, ids = struct.unpack_from("<HH", self.data, offset + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, offset + 16 + 8 * i)

        def leaves(offset):
            for _, target in entries(offset):
                if target & 0x80000000:
                    yield from leaves(base + (target & 0x7FFFFFFF))
                else:
                    rva, size = struct.unpack_from("<II", self.data, base + target)
                    yield self.data[self.offset(rva):self.offset(rva) + size]

        for type_id, target in entries(base):
            if target & 0x80000000:
                found[type_id] = list(leaves(base + (target & 0x7FFFFFFF)))
        return found


    def image_checks(self, machine, level):
        """What holds for a stub and for an installer built on it."""
        problems = []
        if self.machine != machine:
            problems.append(f"machine {self.machine:#x}, expected {machine:#x}")
        if self.subsystem != 2:
            problems.append(f"subsystem {self.subsystem}, expected 2 (Windows GUI)")
        unexpected = set(self.imports()) - ALLOWED_IMPORTS
        if unexpected:
            problems.append(f"unexpected imports {sorted(unexpected)}")
        resources = self.resources()
        manifest = b"".join(resources.get(RT_MANIFEST, [])).decode("utf-8", "replace")
        for needle in (f'level="{level}"', 'name="Microsoft.Windows.Common-Controls"', 'version="6.0.0.0"'):
            if needle not in manifest:
                problems.append(f"manifest lacks {needle}")
        if not resources.get(RT_VERSION):
            problems.append("no version resource")
        if not resources.get(RT_ICON_GROUP):
            problems.append("no icon")
        return problems


def check(path, machine):
    pe = Pe(path)
    problems = pe.image_checks(machine, "highestAvailable")
    if len(pe.data) > BUDGET:
        problems.append(f"{len(pe.data)} bytes, over the budget of {BUDGET}")
    if pe.last_entry_end != len(pe.data):
        problems.append(f"last section ends at {pe.last_entry_end}, file is {len(pe.data)} bytes")
    return problems, len(pe.data), pe.imports()


def check_built(path, machine, level):
    """An installer the builder wrote: the stub's checks with the execution
    level it asked for, its payload right behind the last section, and a
    checksum and image size that fit the image in front of the payload."""
    pe = Pe(path)
    problems = pe.image_checks(machine, level)
    end = pe.last_entry_end
    if end + 4 > len(pe.data) or struct.unpack_from("<I", pe.data, end)[0] != PAYLOAD_MAGIC:
        problems.append(f"no payload behind the last section (at {end})")
    optional = pe.pe + 24
    alignment, image_size = struct.unpack_from("<I", pe.data, optional + 32)[0], struct.unpack_from("<I", pe.data, optional + 56)[0]
    _, va, vsize, _, raw_size = pe.sections[-1]
    wanted_size = (va + max(vsize, raw_size) + alignment - 1) // alignment * alignment
    if image_size != wanted_size:
        problems.append(f"SizeOfImage {image_size:#x}, the sections need {wanted_size:#x}")
    for (name, va, vsize, _, _), following in zip(pe.sections, pe.sections[1:]):
        if va + vsize > following[1]:
            problems.append(f"section {name} overlaps {following[0]}")
    stored = struct.unpack_from("<I", pe.data, optional + 64)[0]
    if stored != checksum(pe.data[:end], optional + 64):
        problems.append(f"checksum {stored:#x} does not fit the image")
    return problems


def checksum(image, field):
    """The PE checksum, with its own field taken as zero."""
    total = 0
    data = image + (b"\0" if len(image) % 2 else b"")
    for i in range(0, len(data), 2):
        if i in (field, field + 2):
            continue
        total += data[i] | data[i + 1] << 8
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return total + len(image)


def main():
    failed = 0
    for path, machine in (("dist/launcher.exe", 0x14C), ("dist/launcher64.exe", 0x8664)):
        problems, size, imports = check(path, machine)
        status = "ok  " if not problems else "FAIL"
        print(f"{status} {path}: {size} bytes, imports {', '.join(imports)}")
        for p in problems:
            print(f"     {p}")
        failed += bool(problems)
    print(f"static stub checks: {2 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
