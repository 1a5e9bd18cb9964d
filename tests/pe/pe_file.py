"""A small reader of Windows PE executables (PE32 and PE32+), enough for the
checks in this folder: headers, sections, imports (plain and delay-load),
exports, base relocations and the resource tree. Standard library only.

Every read is bounds-checked: a damaged file raises PeFormatError with the
place it broke instead of returning made-up values.
"""

import struct
from dataclasses import dataclass, field

MACHINE_I386 = 0x014C
MACHINE_AMD64 = 0x8664

FILE_RELOCS_STRIPPED = 0x0001

DLL_HIGH_ENTROPY_VA = 0x0020
DLL_DYNAMIC_BASE = 0x0040
DLL_NX_COMPAT = 0x0100

SCN_MEM_EXECUTE = 0x20000000
SCN_MEM_WRITE = 0x80000000

DIR_EXPORT = 0
DIR_IMPORT = 1
DIR_RESOURCE = 2
DIR_BASERELOC = 5
DIR_DELAY_IMPORT = 13

RT_MANIFEST = 24

RELOC_HIGHLOW = 3
RELOC_DIR64 = 10


class PeFormatError(Exception):
    pass


@dataclass
class Section:
    name: str
    virtual_address: int
    virtual_size: int
    raw_offset: int
    raw_size: int
    characteristics: int

    def contains_rva(self, rva):
        return self.virtual_address <= rva < self.virtual_address + max(self.virtual_size, self.raw_size)


@dataclass
class Import:
    name: str = None     # None for an import by ordinal
    ordinal: int = None  # set only for an import by ordinal
    delayed: bool = False

    def label(self):
        return self.name if self.name is not None else f"@{self.ordinal}"


@dataclass
class ImportedDll:
    name: str
    functions: list = field(default_factory=list)
    delayed: bool = False


@dataclass
class Resource:
    type_id: object  # int, or str for a named type
    name_id: object
    language: int
    data: bytes


class PeFile:
    def __init__(self, data):
        self.data = bytes(data)
        self._parse_headers()

    @classmethod
    def load(cls, path):
        with open(path, "rb") as f:
            return cls(f.read())

    # -- raw reads -------------------------------------------------------

    def _unpack(self, fmt, offset, what):
        size = struct.calcsize(fmt)
        if offset < 0 or offset + size > len(self.data):
            raise PeFormatError(f"{what} at file offset {offset:#x} lies outside the file")
        return struct.unpack_from(fmt, self.data, offset)

    def _cstring(self, offset, what, limit=512):
        if offset < 0 or offset >= len(self.data):
            raise PeFormatError(f"{what} at file offset {offset:#x} lies outside the file")
        end = self.data.find(b"\0", offset, offset + limit)
        if end < 0:
            raise PeFormatError(f"{what} at file offset {offset:#x} is not terminated")
        return self.data[offset:end].decode("latin-1")

    # -- headers ---------------------------------------------------------

    def _parse_headers(self):
        if self.data[:2] != b"MZ":
            raise PeFormatError("no MZ signature: not an executable")
        (self.pe_offset,) = self._unpack("<I", 0x3C, "e_lfanew")
        if self.data[self.pe_offset:self.pe_offset + 4] != b"PE\0\0":
            raise PeFormatError("no PE signature")
        coff = self.pe_offset + 4
        (self.machine, section_count, _, _, _, optional_size,
         self.characteristics) = self._unpack("<HHIIIHH", coff, "file header")
        self.characteristics_offset = coff + 18
        opt = coff + 20
        self.optional_offset = opt
        (self.magic,) = self._unpack("<H", opt, "optional header magic")
        if self.magic == 0x10B:
            self.is_pe32_plus = False
            (self.image_base,) = self._unpack("<I", opt + 28, "ImageBase")
            dirs_count_offset = opt + 92
        elif self.magic == 0x20B:
            self.is_pe32_plus = True
            (self.image_base,) = self._unpack("<Q", opt + 24, "ImageBase")
            dirs_count_offset = opt + 108
        else:
            raise PeFormatError(f"unknown optional header magic {self.magic:#x}")
        (self.os_major, self.os_minor, _, _, self.subsystem_major, self.subsystem_minor) = self._unpack(
            "<HHHHHH", opt + 40, "version fields")
        (self.size_of_image,) = self._unpack("<I", opt + 56, "SizeOfImage")
        self.subsystem_version_offset = opt + 48
        (self.subsystem, self.dll_characteristics) = self._unpack("<HH", opt + 68, "subsystem")
        self.dll_characteristics_offset = opt + 70
        (dirs_count,) = self._unpack("<I", dirs_count_offset, "NumberOfRvaAndSizes")
        self.data_directory_offset = dirs_count_offset + 4
        self.directories = []
        for i in range(min(dirs_count, 16)):
            self.directories.append(self._unpack("<II", self.data_directory_offset + 8 * i, f"data directory {i}"))
        self.sections = []
        table = opt + optional_size
        for i in range(section_count):
            off = table + 40 * i
            raw_name, vsize, vaddr, raw_size, raw_offset, _, _, _, _, chars = self._unpack(
                "<8sIIIIIIHHI", off, f"section header {i}")
            name = raw_name.rstrip(b"\0").decode("latin-1")
            self.sections.append(Section(name, vaddr, vsize, raw_offset, raw_size, chars))
        self.section_table_offset = table

    @property
    def is_i386(self):
        return self.machine == MACHINE_I386

    @property
    def is_amd64(self):
        return self.machine == MACHINE_AMD64

    def directory(self, index):
        """(rva, size) of a data directory, (0, 0) when the header has none."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def section_of(self, rva):
        for section in self.sections:
            if section.contains_rva(rva):
                return section
        return None

    def rva_to_offset(self, rva, what="data"):
        section = self.section_of(rva)
        if section is None:
            raise PeFormatError(f"{what} at RVA {rva:#x} lies in no section")
        delta = rva - section.virtual_address
        if delta >= section.raw_size:
            raise PeFormatError(f"{what} at RVA {rva:#x} has no bytes in the file (section {section.name})")
        return section.raw_offset + delta

    def read_at_rva(self, rva, size, what="data"):
        offset = self.rva_to_offset(rva, what)
        if offset + size > len(self.data):
            raise PeFormatError(f"{what} at RVA {rva:#x} runs past the end of the file")
        return self.data[offset:offset + size]

    # -- imports ---------------------------------------------------------

    def _thunk_imports(self, thunk_rva, delayed, what):
        fmt, ordinal_flag = ("<Q", 1 << 63) if self.is_pe32_plus else ("<I", 1 << 31)
        step = struct.calcsize(fmt)
        functions = []
        offset = self.rva_to_offset(thunk_rva, what)
        while True:
            (value,) = self._unpack(fmt, offset, what)
            if value == 0:
                return functions
            if value & ordinal_flag:
                functions.append(Import(ordinal=value & 0xFFFF, delayed=delayed))
            else:
                name_offset = self.rva_to_offset((value & 0x7FFFFFFF) + 2, f"{what} name")
                functions.append(Import(name=self._cstring(name_offset, f"{what} name"), delayed=delayed))
            offset += step
            if len(functions) > 100000:
                raise PeFormatError(f"{what} never ends")

    def imports(self):
        """Every imported DLL with its functions: the plain import table first,
        then the delay-load table."""
        dlls = []
        rva, size = self.directory(DIR_IMPORT)
        if rva and size:
            offset = self.rva_to_offset(rva, "import directory")
            while True:
                lookup, _, _, name_rva, iat = self._unpack("<IIIII", offset, "import descriptor")
                if name_rva == 0 and lookup == 0 and iat == 0:
                    break
                name = self._cstring(self.rva_to_offset(name_rva, "import DLL name"), "import DLL name")
                thunks = lookup or iat
                dlls.append(ImportedDll(name, self._thunk_imports(thunks, False, f"imports of {name}")))
                offset += 20
        rva, size = self.directory(DIR_DELAY_IMPORT)
        if rva and size:
            offset = self.rva_to_offset(rva, "delay-load directory")
            while True:
                attributes, name_ptr, _, _, names_ptr, _, _, _ = self._unpack("<8I", offset, "delay-load descriptor")
                if name_ptr == 0:
                    break
                # Old-style descriptors hold virtual addresses instead of RVAs.
                base = 0 if attributes & 1 else self.image_base
                name = self._cstring(self.rva_to_offset(name_ptr - base, "delay-load DLL name"),
                                     "delay-load DLL name")
                functions = self._thunk_imports(names_ptr - base, True, f"delay-load imports of {name}")
                dlls.append(ImportedDll(name, functions, delayed=True))
                offset += 32
        return dlls

    # -- exports ---------------------------------------------------------

    def exports(self):
        """Name -> forwarder ("dll.Function") or None for every export by name."""
        rva, size = self.directory(DIR_EXPORT)
        if not (rva and size):
            return {}
        offset = self.rva_to_offset(rva, "export directory")
        functions_count, names_count, functions_rva, names_rva, ordinals_rva = self._unpack(
            "<IIIII", offset + 20, "export directory")
        names = self.read_at_rva(names_rva, 4 * names_count, "export names")
        ordinals = self.read_at_rva(ordinals_rva, 2 * names_count, "export ordinals")
        functions = self.read_at_rva(functions_rva, 4 * functions_count, "export addresses")
        found = {}
        for i in range(names_count):
            (name_rva,) = struct.unpack_from("<I", names, 4 * i)
            (index,) = struct.unpack_from("<H", ordinals, 2 * i)
            if index >= functions_count:
                raise PeFormatError(f"export {i} names function {index} of {functions_count}")
            name = self._cstring(self.rva_to_offset(name_rva, "export name"), "export name")
            (target,) = struct.unpack_from("<I", functions, 4 * index)
            forwarded = rva <= target < rva + size
            found[name] = self._cstring(self.rva_to_offset(target, "forwarder"), "forwarder") if forwarded else None
        return found

    # -- base relocations ------------------------------------------------

    def relocation_counts(self):
        """Relocation type -> count over the whole base relocation directory."""
        rva, size = self.directory(DIR_BASERELOC)
        counts = {}
        if not (rva and size):
            return counts
        block = self.read_at_rva(rva, size, "base relocation directory")
        pos = 0
        while pos + 8 <= size:
            page, block_size = struct.unpack_from("<II", block, pos)
            if block_size < 8 or block_size % 2 or pos + block_size > size:
                raise PeFormatError(f"base relocation block at {pos:#x} has a bad size {block_size}")
            for (entry,) in struct.iter_unpack("<H", block[pos + 8:pos + block_size]):
                counts[entry >> 12] = counts.get(entry >> 12, 0) + 1
            pos += block_size
        return counts

    # -- resources -------------------------------------------------------

    def resources(self):
        """Every leaf of the resource tree as (type, name, language, data)."""
        root_rva, size = self.directory(DIR_RESOURCE)
        if not (root_rva and size):
            return []
        root = self.rva_to_offset(root_rva, "resource directory")
        found = []

        def entry_id(value):
            if value & 0x80000000:
                off = root + (value & 0x7FFFFFFF)
                (length,) = self._unpack("<H", off, "resource name")
                return self.data[off + 2:off + 2 + 2 * length].decode("utf-16-le", "replace")
            return value

        def walk(dir_offset, path, depth):
            if depth > 2:
                raise PeFormatError("resource tree deeper than type/name/language")
            _, _, _, _, named, ids = self._unpack("<IIHHHH", dir_offset, "resource directory")
            for i in range(named + ids):
                ident, target = self._unpack("<II", dir_offset + 16 + 8 * i, "resource directory entry")
                here = path + [entry_id(ident)]
                if target & 0x80000000:
                    walk(root + (target & 0x7FFFFFFF), here, depth + 1)
                else:
                    data_rva, data_size, _, _ = self._unpack("<IIII", root + target, "resource data entry")
                    if len(here) != 3:
                        raise PeFormatError(f"resource leaf at depth {len(here)}")
                    data = self.read_at_rva(data_rva, data_size, "resource data")
                    found.append(Resource(here[0], here[1], here[2], data))

        walk(root, [], 0)
        return found
