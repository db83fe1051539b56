"""Reads what the release check needs from a Windows PE image, with nothing but the standard
library: the machine and kind of image (a DLL, or a program and its subsystem), the exported
names, the imported libraries and the version resource (the fixed version numbers and the
string table)."""

import struct

MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
IMAGE_FILE_DLL = 0x2000
SUBSYSTEM_CONSOLE = 3
RT_VERSION = 16
FIXED_INFO_SIGNATURE = 0xFEEF04BD


class PeError(Exception):
    pass


class PeImage:
    def __init__(self, data: bytes):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        (pe,) = self._unpack("<I", 0x3C)
        if data[pe : pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = pe + 4
        fields = self._unpack("<HHIIIHH", coff)
        self.machine, sections, _, _, self.symbol_count, optional_size = fields[:6]
        self.characteristics = fields[6]
        optional = coff + 20
        (self.magic,) = self._unpack("<H", optional)
        # The subsystem word sits at the same place in both kinds of optional header.
        (self.subsystem,) = self._unpack("<H", optional + 68)
        # Data directories: 96 bytes into a PE32 optional header, 112 into a PE32+ one.
        dirs = optional + (96 if self.magic == PE32_MAGIC else 112)
        (count,) = self._unpack("<I", dirs - 4)
        self.directories = [self._unpack("<II", dirs + 8 * i) for i in range(min(count, 16))]
        table = optional + optional_size
        self.sections = [
            self._unpack("<IIII", table + 40 * i + 8) for i in range(sections)
        ]  # (virtual size, virtual address, raw size, raw offset)

    def _unpack(self, fmt, offset):
        size = struct.calcsize(fmt)
        if offset < 0 or offset + size > len(self.data):
            raise PeError(f"truncated at offset {offset:#x}")
        return struct.unpack_from(fmt, self.data, offset)

    def _offset(self, rva):
        for vsize, vaddr, rsize, roff in self.sections:
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return rva - vaddr + roff
        raise PeError(f"address {rva:#x} lies in no section")

    def _cstring(self, rva):
        start = self._offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PeError("unterminated name")
        return self.data[start:end].decode("ascii", "replace")

    def _directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    @property
    def is_pe32_dll(self):
        return (
            self.machine == MACHINE_I386
            and self.magic == PE32_MAGIC
            and bool(self.characteristics & IMAGE_FILE_DLL)
        )

    @property
    def is_pe32_console_program(self):
        return (
            self.machine == MACHINE_I386
            and self.magic == PE32_MAGIC
            and not self.characteristics & IMAGE_FILE_DLL
            and self.subsystem == SUBSYSTEM_CONSOLE
        )

    def exports(self):
        rva, size = self._directory(0)
        if not rva or not size:
            return []
        base = self._offset(rva)
        names, names_rva = self._unpack("<I", base + 24)[0], self._unpack("<I", base + 32)[0]
        table = self._offset(names_rva) if names else 0
        return [self._cstring(self._unpack("<I", table + 4 * i)[0]) for i in range(names)]

    def imports(self):
        rva, size = self._directory(1)
        if not rva or not size:
            return []
        found, entry = [], self._offset(rva)
        while True:
            descriptor = self._unpack("<IIIII", entry)
            if not any(descriptor):
                return found
            found.append(self._cstring(descriptor[3]))
            entry += 20

    def version_resource(self):
        """The first VS_VERSIONINFO as (fixed file version, fixed product version, strings),
        each version a tuple of four numbers; None when the image has none."""
        rva, size = self._directory(2)
        if not rva or not size:
            return None
        root = self._offset(rva)
        data_entry = self._resource_path(root, root, [RT_VERSION, None, None])
        if data_entry is None:
            return None
        data_rva, data_size = self._unpack("<II", data_entry)
        start = self._offset(data_rva)
        return _parse_version_info(self.data[start : start + data_size])

    def _resource_path(self, root, directory, path):
        """Follows ids (None: the first entry) from a resource directory to a data entry."""
        named, ids = self._unpack("<HH", directory + 12)
        for i in range(named + ids):
            name, target = self._unpack("<II", directory + 16 + 8 * i)
            if path[0] is not None and (name & 0x80000000 or name != path[0]):
                continue
            if bool(target & 0x80000000) != (len(path) > 1):
                raise PeError("resource tree of unexpected depth")
            if len(path) == 1:
                return root + target
            return self._resource_path(root, root + (target & 0x7FFFFFFF), path[1:])
        return None


def _align4(offset):
    return (offset + 3) & ~3


def _parse_block(data, offset):
    """One version-information block: (key, value bytes, text flag, children, end)."""
    length, value_length, text = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    if length < 6 or end > len(data):
        raise PeError("version block of bad length")
    key_end = offset + 6
    while data[key_end : key_end + 2] != b"\0\0":
        key_end += 2
        if key_end >= end:
            raise PeError("unterminated version key")
    key = data[offset + 6 : key_end].decode("utf-16-le")
    value_start = _align4(key_end + 2)
    value_size = value_length * 2 if text else value_length
    value = data[value_start : value_start + value_size]
    children, child = [], _align4(value_start + value_size)
    while child < end:
        block = _parse_block(data, child)
        children.append(block)
        child = _align4(block[4])
    return key, value, text, children, end


def _parse_version_info(data):
    key, value, _, children, _ = _parse_block(data, 0)
    if key != "VS_VERSION_INFO" or len(value) < 52:
        raise PeError("not a version resource")
    fields = struct.unpack_from("<13I", value)
    if fields[0] != FIXED_INFO_SIGNATURE:
        raise PeError("fixed version information without its signature")

    def split(high, low):
        return (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)

    strings = {}
    for child_key, _, _, tables, _ in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, _, entries, _ in tables:
            for name, text, _, _, _ in entries:
                strings[name] = text.decode("utf-16-le").rstrip("\0")
    return split(fields[2], fields[3]), split(fields[4], fields[5]), strings
