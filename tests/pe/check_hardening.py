#!/usr/bin/env python3
"""Checks the security settings of a built tarnvel.exe (i686 or x86_64).

    check_hardening.py EXE [EXE ...]

For each executable:
  dll-characteristics  DYNAMIC_BASE and NX_COMPAT set; HIGH_ENTROPY_VA too on x86_64
  relocations          a base relocation directory in a section with bytes in the
                       file, relocations of the machine's kind, and no
                       RELOCS_STRIPPED flag: without them the image cannot move
  sections             no section both writable and executable
  manifest             an RT_MANIFEST resource with id 1 whose XML asks for
                       requestedExecutionLevel level="asInvoker" (and no uiAccess)
  import-names         every imported DLL is a plain name from a small set of
                       system DLLs: no path, nothing that could be found next to
                       the program first
  dynamic-loading      LoadLibrary-style imports only with a known reason, and
                       every DLL name written in the image (ASCII or UTF-16) is
                       a plain name of a system DLL or of a known runtime probe

Prints one "PASS exe check" or "FAIL exe check: reason" line per check;
exits non-zero when any check failed.
"""

import re
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import pe_file  # noqa: E402
from pe_file import PeFile, PeFormatError  # noqa: E402

# What the program imports: the libraries every Windows loads for it anyway.
IMPORTED_DLLS = {f"{name}.dll" for name in ("kernel32", "user32", "gdi32", "advapi32", "comctl32", "msvcrt")}
# What it loads from the system folder only when first needed, never
# imported, so that a start loads none of them: shell32.dll for the link,
# ole32.dll and oleaut32.dll for the About picture and a screen reader's
# questions, oleacc.dll for what a screen reader is told, shcore.dll for
# Windows 8.1's per-monitor DPI.
ALLOWED_DLLS = IMPORTED_DLLS | {f"{name}.dll" for name in ("shell32", "ole32", "oleaut32", "oleacc", "shcore")}

# Imports that load a DLL at run time, with what in the program uses each.
# Anything else of this kind fails the check until it is understood.
EXPLAINED_LOADERS = {
    "LoadLibraryA": "ole32.dll and oleaut32.dll (the About picture, a screen reader's questions), shell32.dll "
                    "(the link) and oleacc.dll (a screen reader's questions), each from the system folder when "
                    "first needed; on the NT family where user32.dll lacks GetDpiForWindow (before Windows 10), "
                    "shcore.dll from the system folder for the monitors' DPI; crtbegin.o of libgcc takes a "
                    "reference to libgcc_s_dw2-1.dll only after GetModuleHandleA found it already loaded",
    "LoadLibraryW": "mingw-w64's rand_s fallback: loads advapi32.dll by plain name (a KnownDLL); "
                    "reached only through std::random_device, which the program does not use",
}
LOADER_NAME = re.compile(r"^(LoadLibrary|LoadPackagedLibrary|LdrLoadDll|CoLoadLibrary)")

# DLL names that the runtime writes into the image without loading them.
EXPLAINED_DLL_STRINGS = {
    "libgcc_s_dw2-1.dll": "i686 crtbegin.o asks GetModuleHandleA whether it is loaded already",
}

CREATEPROCESS_MANIFEST_RESOURCE_ID = 1

ASCII_DLL_NAME = re.compile(rb"[\x21-\x7e]+\.dll(?![A-Za-z0-9_])", re.IGNORECASE)
UTF16_DLL_NAME = re.compile(rb"(?:[\x21-\x7e]\x00)+\.\x00d\x00l\x00l\x00(?!(?:[A-Za-z0-9_]\x00))", re.IGNORECASE)


def plain_dll_name(name):
    return not any(c in name for c in "\\/:") and not name.startswith(".")


def check_dll_characteristics(pe):
    flags = pe.dll_characteristics
    wanted = {"DYNAMIC_BASE": pe_file.DLL_DYNAMIC_BASE, "NX_COMPAT": pe_file.DLL_NX_COMPAT}
    if pe.is_pe32_plus:
        wanted["HIGH_ENTROPY_VA"] = pe_file.DLL_HIGH_ENTROPY_VA
    absent = [name for name, bit in wanted.items() if not flags & bit]
    if absent:
        return False, f"{flags:#06x} lacks {', '.join(absent)}"
    return True, f"{flags:#06x} has {', '.join(wanted)}"


def check_relocations(pe):
    if pe.characteristics & pe_file.FILE_RELOCS_STRIPPED:
        return False, "the file header says the relocations were stripped (IMAGE_FILE_RELOCS_STRIPPED)"
    rva, size = pe.directory(pe_file.DIR_BASERELOC)
    if not (rva and size):
        return False, "no base relocation directory: the loader cannot move the image"
    section = pe.section_of(rva)
    if section is None or section.raw_size == 0:
        return False, f"the base relocation directory at {rva:#x} has no bytes in the file"
    kind = pe_file.RELOC_DIR64 if pe.is_pe32_plus else pe_file.RELOC_HIGHLOW
    counts = pe.relocation_counts()
    if not counts.get(kind):
        return False, f"no relocations of type {kind} among {counts}"
    return True, f"{counts[kind]} relocations in {section.name}"


def check_sections(pe):
    both = pe_file.SCN_MEM_WRITE | pe_file.SCN_MEM_EXECUTE
    bad = [s.name for s in pe.sections if s.characteristics & both == both]
    if bad:
        return False, f"writable and executable: {', '.join(bad)}"
    return True, f"{len(pe.sections)} sections, none writable and executable"


def manifest_level(data):
    """(level, uiAccess) of the first requestedExecutionLevel element, or None."""
    if data.startswith(b"\xff\xfe") or data.startswith(b"\xfe\xff"):
        text = data.decode("utf-16")
    else:
        text = data.decode("utf-8-sig")
    root = ElementTree.fromstring(text)
    for element in root.iter():
        if element.tag.rsplit("}", 1)[-1] == "requestedExecutionLevel":
            return element.get("level"), element.get("uiAccess")
    return None


def check_manifest(pe):
    manifests = [r for r in pe.resources() if r.type_id == pe_file.RT_MANIFEST]
    if not manifests:
        return False, "no RT_MANIFEST resource"
    ids = sorted(str(r.name_id) for r in manifests)
    chosen = [r for r in manifests if r.name_id == CREATEPROCESS_MANIFEST_RESOURCE_ID]
    if not chosen:
        return False, f"RT_MANIFEST ids {ids}: an executable's manifest must have id 1"
    try:
        found = manifest_level(chosen[0].data)
    except (ElementTree.ParseError, UnicodeDecodeError) as error:
        return False, f"the manifest is not well-formed XML: {error}"
    if found is None:
        return False, "the manifest has no requestedExecutionLevel"
    level, ui_access = found
    if level != "asInvoker":
        return False, f'requestedExecutionLevel level="{level}", expected "asInvoker"'
    if ui_access not in (None, "false"):
        return False, f'requestedExecutionLevel uiAccess="{ui_access}", expected "false"'
    return True, 'RT_MANIFEST id 1 asks level="asInvoker"'


def check_import_names(pe):
    dlls = pe.imports()
    bad = []
    for dll in dlls:
        if not plain_dll_name(dll.name):
            bad.append(f"{dll.name} (a path)")
        elif dll.name.lower() in ALLOWED_DLLS - IMPORTED_DLLS:
            bad.append(f"{dll.name} (loaded at every start: it must be loaded only when first needed)")
        elif dll.name.lower() not in IMPORTED_DLLS:
            bad.append(f"{dll.name} (not one of the allowed system DLLs)")
    if bad:
        return False, "; ".join(bad)
    return True, ", ".join(d.name for d in dlls)


def embedded_dll_names(data):
    names = {m.group(0).decode("ascii") for m in ASCII_DLL_NAME.finditer(data)}
    names |= {m.group(0).decode("utf-16-le") for m in UTF16_DLL_NAME.finditer(data)}
    return names


def check_dynamic_loading(pe):
    problems = []
    loaders = []
    for dll in pe.imports():
        for function in dll.functions:
            if function.name and LOADER_NAME.match(function.name):
                loaders.append(function.name)
                if function.name not in EXPLAINED_LOADERS:
                    problems.append(f"imports {function.name} with no known reason")
    for name in sorted(embedded_dll_names(pe.data)):
        if not plain_dll_name(name):
            problems.append(f'the image names "{name}", a path')
        elif name.lower() not in ALLOWED_DLLS and name.lower() not in EXPLAINED_DLL_STRINGS:
            problems.append(f'the image names "{name}", not an allowed system DLL')
    if problems:
        return False, "; ".join(problems)
    reasons = "; ".join(f"{name}: {EXPLAINED_LOADERS[name]}" for name in sorted(set(loaders)))
    return True, f"loaders {reasons}" if reasons else "no run-time loading"


CHECKS = [
    ("dll-characteristics", check_dll_characteristics),
    ("relocations", check_relocations),
    ("sections", check_sections),
    ("manifest", check_manifest),
    ("import-names", check_import_names),
    ("dynamic-loading", check_dynamic_loading),
]


def check(pe, label, out):
    """Runs every check on a parsed image; returns the number that failed."""
    failures = 0
    for name, run in CHECKS:
        try:
            ok, detail = run(pe)
        except PeFormatError as error:
            ok, detail = False, f"unreadable: {error}"
        if ok:
            out.write(f"PASS {label} {name}: {detail}\n")
        else:
            failures += 1
            out.write(f"FAIL {label} {name}: {detail}\n")
    return failures


def arch_label(pe, path):
    arch = "x86_64" if pe.is_amd64 else "i686" if pe.is_i386 else f"machine-{pe.machine:#x}"
    return f"{arch} {Path(path).name}"


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    failures = 0
    for path in argv[1:]:
        try:
            pe = PeFile.load(path)
        except (OSError, PeFormatError) as error:
            print(f"FAIL {path}: cannot read: {error}")
            failures += 1
            continue
        failures += check(pe, arch_label(pe, path), sys.stdout)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
