#!/usr/bin/env python3
"""Proves that check_imports.py and check_hardening.py catch what they claim
to: each test damages one detail of a copy of a built tarnvel.exe (in memory,
or in a temporary folder for the command-line runs) and expects exactly that
check to fail, while the undamaged file passes it.

    test_checkers.py [I686_EXE X86_64_EXE]      (default: build/<arch>/tarnvel.exe)

Prints "PASS name" or "FAIL name: reason" per test; exits non-zero on failure.
"""

import io
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import check_hardening  # noqa: E402
import check_imports  # noqa: E402
import pe_file  # noqa: E402
from pe_file import PeFile  # noqa: E402

ROOT = HERE.parent.parent
EXES = {"i686": ROOT / "build" / "i686" / "tarnvel.exe", "x86_64": ROOT / "build" / "x86_64" / "tarnvel.exe"}
EXPORTS = check_imports.load_exports(HERE / "win2000_exports.txt")
WIN98 = check_imports.Win98Functions.load(HERE / "win98se_exports.txt")


def original(arch):
    return EXES[arch].read_bytes()


def patched(data, offset, new):
    out = bytearray(data)
    out[offset:offset + len(new)] = new
    return PeFile(out)


def replaced(data, old, new, count=1):
    """A copy with the only (or first `count`) occurrences of old replaced by
    new, which must be as long: offsets inside the file must not move."""
    assert len(old) == len(new), (old, new)
    assert data.count(old) >= 1, f"{old!r} is not in the file"
    out = data.replace(old, new, count)
    return PeFile(out)


def import_tables(pe):
    """(name, file offset of its first import lookup entry) of each imported DLL."""
    offset = pe.rva_to_offset(pe.directory(pe_file.DIR_IMPORT)[0])
    while True:
        lookup, _, _, name_rva, iat = struct.unpack_from("<IIIII", pe.data, offset)
        if not name_rva:
            return
        yield pe.data[pe.rva_to_offset(name_rva):].split(b"\0", 1)[0].decode(), pe.rva_to_offset(lookup or iat)
        offset += 20


def renamed_import(data, old, new):
    """A copy whose import of the function named old is renamed new (which
    must not be longer), found through the import table itself."""
    assert len(new) <= len(old)
    pe = PeFile(data)
    step, flag, form = (8, 1 << 63, "<Q") if pe.is_pe32_plus else (4, 1 << 31, "<I")
    for _, thunk in import_tables(pe):
        while value := struct.unpack_from(form, data, thunk)[0]:
            if not value & flag:
                name_at = pe.rva_to_offset((value & 0x7FFFFFFF) + 2)
                if data[name_at:name_at + len(old) + 1] == old.encode() + b"\0":
                    return patched(data, name_at, new.encode().ljust(len(old), b"\0"))
            thunk += step
    raise AssertionError(f"{old} is not imported")


def u16(text):
    return text.encode("utf-16-le")


def resource_entry_offset(pe, path):
    """File offset of the resource directory entry reached by following ids."""
    root = pe.rva_to_offset(pe.directory(pe_file.DIR_RESOURCE)[0])
    directory = root
    for depth, wanted in enumerate(path):
        _, _, _, _, named, ids = struct.unpack_from("<IIHHHH", pe.data, directory)
        for i in range(named + ids):
            entry = directory + 16 + 8 * i
            ident, target = struct.unpack_from("<II", pe.data, entry)
            if ident == wanted:
                if depth == len(path) - 1:
                    return entry
                directory = root + (target & 0x7FFFFFFF)
                break
        else:
            raise AssertionError(f"resource id {wanted} not found")
    raise AssertionError("empty path")


class HardeningChecks(unittest.TestCase):
    def expect(self, check, good, broken, words):
        ok, detail = check(good)
        self.assertTrue(ok, f"the undamaged file already fails: {detail}")
        ok, detail = check(broken)
        self.assertFalse(ok, f"damage went unnoticed: {detail}")
        for word in words:
            self.assertIn(word, detail)

    def flags_without(self, arch, bit):
        pe = PeFile(original(arch))
        return patched(pe.data, pe.dll_characteristics_offset, struct.pack("<H", pe.dll_characteristics & ~bit))

    def test_dll_characteristics_need_each_flag(self):
        for arch, name in [(arch, name) for arch in EXES for name in ("DYNAMIC_BASE", "NX_COMPAT")] + \
                          [("x86_64", "HIGH_ENTROPY_VA")]:
            bit = getattr(pe_file, f"DLL_{name}")
            with self.subTest(arch=arch, flag=name):
                self.expect(check_hardening.check_dll_characteristics, PeFile(original(arch)),
                            self.flags_without(arch, bit), [name])

    def test_high_entropy_is_not_asked_of_32_bit_images(self):
        ok, detail = check_hardening.check_dll_characteristics(
            self.flags_without("i686", pe_file.DLL_HIGH_ENTROPY_VA))
        self.assertTrue(ok, detail)

    def test_relocations_stripped_or_missing(self):
        for arch in EXES:
            pe = PeFile(original(arch))
            stripped = struct.pack("<H", pe.characteristics | pe_file.FILE_RELOCS_STRIPPED)
            for offset, damage, words in [(pe.characteristics_offset, stripped, ["stripped"]),
                                          (pe.data_directory_offset + 8 * pe_file.DIR_BASERELOC, bytes(8),
                                           ["no base relocation directory"])]:
                with self.subTest(arch=arch, words=words):
                    self.expect(check_hardening.check_relocations, pe, patched(pe.data, offset, damage), words)

    def test_relocation_block_with_bad_size(self):
        pe = PeFile(original("x86_64"))
        first_block = pe.rva_to_offset(pe.directory(pe_file.DIR_BASERELOC)[0])
        broken = patched(pe.data, first_block + 4, struct.pack("<I", 6))
        with self.assertRaises(pe_file.PeFormatError):
            check_hardening.check_relocations(broken)
        out = io.StringIO()
        self.assertEqual(check_hardening.check(broken, "x86_64", out), 1)
        self.assertIn("FAIL x86_64 relocations: unreadable", out.getvalue())

    def test_writable_code_or_executable_data(self):
        for arch, name, flag in [(arch, ".text", pe_file.SCN_MEM_WRITE) for arch in EXES] + \
                                [("i686", ".data", pe_file.SCN_MEM_EXECUTE)]:
            with self.subTest(arch=arch, section=name):
                pe = PeFile(original(arch))
                index = next(i for i, s in enumerate(pe.sections) if s.name == name)
                broken = patched(pe.data, pe.section_table_offset + 40 * index + 36,
                                 struct.pack("<I", pe.sections[index].characteristics | flag))
                self.expect(check_hardening.check_sections, pe, broken, [name])

    def test_manifest_resource_missing_or_under_the_wrong_id(self):
        for arch, path, damage, words in [("i686", [pe_file.RT_MANIFEST, 1], 2, ["id 1"]),
                                          ("x86_64", [pe_file.RT_MANIFEST], 23, ["no RT_MANIFEST"])]:
            with self.subTest(words=words):
                pe = PeFile(original(arch))
                broken = patched(pe.data, resource_entry_offset(pe, path), struct.pack("<I", damage))
                self.expect(check_hardening.check_manifest, pe, broken, words)

    def test_damaged_text_is_caught(self):
        """Each row replaces bytes by as many others, and names the words the
        check's failure must say."""
        level = b'level="asInvoker" uiAccess="false"'
        manifest, names, loading = (check_hardening.check_manifest, check_hardening.check_import_names,
                                    check_hardening.check_dynamic_loading)
        for check, arch, old, new, words in [
                (manifest, "x86_64", level, b'level="requireAdministrator"'.ljust(len(level)),
                 ["requireAdministrator"]),
                (manifest, "i686", b'uiAccess="false"', b'uiAccess="true" ', ["uiAccess"]),
                # The element is self-closing, so renaming its start tag removes it.
                (manifest, "i686", b"<requestedExecutionLevel ", b"<requestedExecutionLevex ",
                 ["no requestedExecutionLevel"]),
                (manifest, "i686", b"<assembly ", b"<assembly!", ["not well-formed"]),
                (names, "i686", b"COMCTL32.DLL\0", b".\\COMCTL.DLL\0", [".\\COMCTL.DLL", "a path"]),
                (names, "x86_64", b"COMCTL32.dll\0", b"WININET.dll\0\0", ["WININET.dll", "not one of"]),
                # A library the program loads only when needed must not be imported either.
                (names, "x86_64", b"COMCTL32.dll\0", b"OLEACC.dll\0\0\0", ["OLEACC.dll", "loaded at every start"]),
                (loading, "i686", b"libgcc_s_dw2-1.dll", b"C:\\gcc_s_dw2-1.dll", ["C:\\gcc_s_dw2-1.dll"]),
                (loading, "x86_64", u16("advapi32.dll"), u16("..\\api32.dll"), ["..\\api32.dll", "a path"]),
                (loading, "x86_64", u16("advapi32.dll"), u16("dbghelp2.dll"), ["dbghelp2.dll"])]:
            with self.subTest(arch=arch, new=new):
                data = original(arch)
                self.expect(check, PeFile(data), replaced(data, old, new), words)

    def test_loader_import_without_a_reason(self):
        data = original("x86_64")
        self.expect(check_hardening.check_dynamic_loading, PeFile(data),
                    renamed_import(data, "LoadLibraryW", "LdrLoadDll"), ["LdrLoadDll"])


class ImportChecks(unittest.TestCase):
    """Damage is judged against the undamaged file's own output, so that these
    tests prove the checks whatever today's verdict on the real file is."""

    @classmethod
    def setUpClass(cls):
        cls.original_failures, cls.original_text = cls.run_check(PeFile(original("i686")))

    @staticmethod
    def run_check(pe, exports=EXPORTS, win98=WIN98):
        out = io.StringIO()
        failures = check_imports.check(pe, exports, win98, out)
        return failures, out.getvalue()

    def new_lines(self, text):
        before = set(self.original_text.splitlines())
        return [line for line in text.splitlines() if line not in before]

    def test_undamaged_i686_passes_windows_2000(self):
        self.assertRegex(self.original_text, r"PASS imports: \d+ functions from \d+ DLLs checked against Windows 2000")
        self.assertRegex(self.original_text,
                         r"(PASS|FAIL) imports: \d+ functions from \d+ DLLs checked against Windows 98 SE "
                         r"\(\d+ functions of 9 DLLs listed\)")

    def test_function_newer_than_windows_2000(self):
        broken = renamed_import(original("i686"), "WaitForSingleObject", "GetNativeSystemInfo")
        failures, text = self.run_check(broken)
        self.assertGreater(failures, self.original_failures, text)
        self.assertIn("KERNEL32.dll!GetNativeSystemInfo (not exported by Windows 2000)", text)
        self.assertIn("    KERNEL32.dll!GetNativeSystemInfo: not exported by Windows 98 SE", text)
        self.assertNotIn("WaitForSingleObject", text)

    def test_dll_missing_from_the_list(self):
        exports = {dll: names for dll, names in EXPORTS.items() if dll != "comctl32.dll"}
        failures, text = self.run_check(PeFile(original("i686")), exports)
        self.assertEqual(failures, self.original_failures + 1, text)
        self.assertIn("COMCTL32.DLL!InitCommonControlsEx (the DLL is not in the list)", text)
        win98 = check_imports.Win98Functions({k: v for k, v in WIN98.kinds.items() if k[0] != "comctl32.dll"},
                                             WIN98.allowed)
        _, text = self.run_check(PeFile(original("i686")), win98=win98)
        self.assertIn("    COMCTL32.DLL!InitCommonControlsEx: the DLL is not in the Windows 98 SE list",
                      self.new_lines(text))

    def test_import_by_ordinal(self):
        pe = PeFile(original("i686"))
        first = next(thunk for name, thunk in import_tables(pe) if name.lower() == "comctl32.dll")
        broken = patched(pe.data, first, struct.pack("<I", 0x80000000 | 17))
        failures, text = self.run_check(broken)
        self.assertEqual(failures, self.original_failures + 2, text)  # both lists refuse it
        self.assertIn("!@17 (by ordinal, not exported by Windows 2000)", text)
        self.assertIn("    COMCTL32.DLL!@17: by ordinal (no ordinals are listed for Windows 98 SE)", text)
        with_ordinal = dict(EXPORTS)
        with_ordinal["comctl32.dll"] = EXPORTS["comctl32.dll"] | {"@17"}
        failures, text = self.run_check(broken, with_ordinal)
        self.assertEqual(failures, self.original_failures + 1, text)  # Windows 98 SE still refuses it
        self.assertIn("COMCTL32.DLL!@17: by ordinal", text)

    def test_subsystem_version_above_4(self):
        pe = PeFile(original("i686"))
        failures, text = self.run_check(patched(pe.data, pe.subsystem_version_offset, struct.pack("<HH", 5, 0)))
        self.assertEqual(failures, self.original_failures + 1, text)
        self.assertIn("FAIL subsystem version 5.0", text)
        failures, text = self.run_check(patched(pe.data, pe.subsystem_version_offset, struct.pack("<HH", 3, 10)))
        self.assertEqual(failures, self.original_failures, text)

    def test_64_bit_image_is_refused(self):
        failures, text = self.run_check(PeFile(original("x86_64")))
        self.assertEqual(failures, 1)
        self.assertIn("FAIL machine", text)

    def test_imports_windows_98_refuses(self):
        # Each new name is a Windows 2000 export no longer than the old one.
        for old, new, reason in [
                ("GetCurrentProcess", "CreateFileW", "a stub on Windows 98 SE"),
                ("WaitForSingleObject", "CreateHardLinkW", "not exported by Windows 98 SE: the program would not load"),
                ("GetCurrentProcess", "GetTickCount", None),  # works
                ("GetCurrentProcess", "GetCommandLineW", None)]:  # a Unicode function Windows 98 implements
            with self.subTest(new=new):
                failures, text = self.run_check(renamed_import(original("i686"), old, new))
                self.assertRegex(text, r"PASS imports: .* Windows 2000")
                added = self.new_lines(text)
                if reason:
                    self.assertIn(f"    KERNEL32.dll!{new}: {reason}", "\n".join(added))
                    self.assertRegex(text, r"FAIL imports: .* Windows 98 SE")
                else:
                    self.assertEqual([line for line in added if line.startswith("    ")], [], text)
                    self.assertEqual(failures, self.original_failures, text)

    def test_allow_list_is_what_lets_a_stub_pass(self):
        strict = check_imports.Win98Functions(WIN98.kinds, {k: v for k, v in WIN98.allowed.items()
                                                            if k[1] != "OpenProcessToken"})
        _, text = self.run_check(PeFile(original("i686")), win98=strict)
        self.assertIn("    ADVAPI32.dll!OpenProcessToken: a stub on Windows 98 SE "
                      "(fails with ERROR_CALL_NOT_IMPLEMENTED)", self.new_lines(text))

    def test_rules_for_calls_seen_at_run_time(self):
        # The rules for the kinds of allowance the program does not use today,
        # on entries of the test's own.
        allowed = dict(WIN98.allowed)
        allowed[("gdi32.dll", "GetGlyphIndicesW")] = ("optional", "looked up with GetProcAddress")
        allowed[("kernel32.dll", "CreateSemaphoreW")] = ("runtime", "harmless when it fails")
        problem = check_imports.Win98Functions(WIN98.kinds, allowed).problem
        self.assertIsNone(problem("gdi32.dll", "GetGlyphIndicesW", called=True), "optional: absent but looked up")
        self.assertIn("would not load", problem("gdi32.dll", "GetGlyphIndicesW"))
        self.assertIn("NT family", problem("advapi32.dll", "OpenProcessToken", called=True))
        self.assertIsNone(problem("kernel32.dll", "CreateSemaphoreW", called=True))
        self.assertIn("a stub", WIN98.problem("kernel32.dll", "CreateSemaphoreW", called=True))
        self.assertIn("a stub", problem("user32.dll", "DrawTextW", called=True))
        self.assertIn("not exported", problem("user32.dll", "LockWorkStation", called=True))
        self.assertIn("not in the Windows 98 SE list", problem("user32.dll", "NoSuchFunction", called=True))
        self.assertIn("DLL is not in", problem("ntdll.dll", "RtlFreeHeap", called=True))


class CommandLines(unittest.TestCase):
    def run_script(self, script, *paths):
        return subprocess.run([sys.executable, str(HERE / script), *map(str, paths)],
                              capture_output=True, text=True, timeout=120)

    def test_exit_codes_follow_the_results(self):
        pe = PeFile(original("x86_64"))
        broken = bytearray(pe.data)
        struct.pack_into("<H", broken, pe.dll_characteristics_offset,
                         pe.dll_characteristics & ~pe_file.DLL_NX_COMPAT)
        imports_broken = renamed_import(original("i686"), "WaitForSingleObject", "GetNativeSystemInfo").data
        with tempfile.TemporaryDirectory() as folder:
            hardening_path = Path(folder) / "broken64.exe"
            hardening_path.write_bytes(broken)
            imports_path = Path(folder) / "broken32.exe"
            imports_path.write_bytes(imports_broken)

            good = self.run_script("check_hardening.py", EXES["x86_64"])
            self.assertEqual(good.returncode, 0, good.stdout)
            bad = self.run_script("check_hardening.py", hardening_path)
            self.assertEqual(bad.returncode, 1, bad.stdout)
            self.assertIn("FAIL x86_64 broken64.exe dll-characteristics", bad.stdout)

            good = self.run_script("check_imports.py", EXES["i686"])
            self.assertEqual(good.returncode, 1 if "\nFAIL " in "\n" + good.stdout else 0, good.stdout)
            bad = self.run_script("check_imports.py", imports_path)
            self.assertEqual(bad.returncode, 1, bad.stdout)
            self.assertIn("GetNativeSystemInfo", bad.stdout)

    def test_unreadable_file(self):
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "not.exe"
            path.write_bytes(b"MZ" + bytes(100))
            result = self.run_script("check_hardening.py", path)
            self.assertEqual(result.returncode, 1)
            self.assertIn("cannot read", result.stdout)


class LineResult(unittest.TextTestResult):
    """One PASS/FAIL line per test, as the other checks of this folder print."""

    def addSuccess(self, test):
        super().addSuccess(test)
        self.stream.write(f"PASS checker self-test {test.id().split('.', 1)[1]}\n")

    def _fail(self, test, err):
        lines = str(err[1]).strip().splitlines() or [""]
        reason = f"{err[0].__name__}: {lines[0]}"
        self.stream.write(f"FAIL checker self-test {test.id().split('.', 1)[1]}: {reason}\n")

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._fail(test, err)

    def addError(self, test, err):
        super().addError(test, err)
        self._fail(test, err)

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        if err is not None:
            self._fail(subtest, err)


def main():
    if len(sys.argv) == 3:
        EXES["i686"], EXES["x86_64"] = Path(sys.argv[1]), Path(sys.argv[2])
    elif len(sys.argv) != 1:
        print(__doc__)
        return 2
    for arch, path in EXES.items():
        if not path.is_file():
            print(f"FAIL checker self-test: {path} is missing; build {arch} first")
            return 1
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])
    runner = unittest.TextTestRunner(stream=sys.stdout, resultclass=LineResult, verbosity=0)
    result = runner.run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
