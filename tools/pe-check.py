#!/usr/bin/python3
"""Checks the PE facts of velmora.exe that make it run on Windows 7 SP1 to
Windows 11 and safely from any folder:

- every function it imports is on tools/win7-imports.txt, the functions
  known to exist on Windows 7 SP1 (each looked up in Microsoft's
  documentation, "Minimum supported client"); a new import fails until it
  is looked up and added there, or looked up at run time with a fallback;
- the header: 64-bit GUI program for subsystem and OS version 6.1 (Windows
  7), terminal-server aware, ASLR with relocations and high-entropy
  addresses, DEP, no debug directory, a correct check sum, and the time
  stamp SOURCE_DATE_EPOCH when that is set;
- no path of the source or build folder anywhere in the file.

  pe-check.py [EXE]        (default build/win64/velmora.exe)
  pe-check.py --list EXE   prints the imports as the list writes them
"""
import os
import sys

import pefile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KNOWN = os.path.join(ROOT, "tools", "win7-imports.txt")
FLAGS = {
    "IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE": "terminal-server aware",
    "IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE": "ASLR (dynamic base)",
    "IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA": "high-entropy VA",
    "IMAGE_DLLCHARACTERISTICS_NX_COMPAT": "DEP (NX compatible)",
}


def imports(pe):
    """DLL!Function for every import, the DLL name in lower case."""
    for dll in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        for function in dll.imports:
            name = (function.name.decode() if function.name
                    else f"#{function.ordinal}")
            yield f"{dll.dll.decode().lower()}!{name}"


def known_imports():
    with open(KNOWN, encoding="utf-8") as f:
        lines = (line.split("#", 1)[0].strip() for line in f)
        return {line for line in lines if line}


def header_problems(pe, data, exe):
    header = pe.OPTIONAL_HEADER
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]:
        yield "not a 64-bit (x64) program"
    if header.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        yield f"subsystem {header.Subsystem}, not the Windows GUI"
    for what, version in [
            ("subsystem", (header.MajorSubsystemVersion,
                           header.MinorSubsystemVersion)),
            ("OS", (header.MajorOperatingSystemVersion,
                    header.MinorOperatingSystemVersion))]:
        if version != (6, 1):
            yield f"{what} version {version[0]}.{version[1]}, not 6.1"
    for flag, meaning in FLAGS.items():
        if not header.DllCharacteristics & pefile.DLL_CHARACTERISTICS[flag]:
            yield f"not {meaning}"
    if not hasattr(pe, "DIRECTORY_ENTRY_BASERELOC"):
        yield "no relocations, so ASLR cannot move it"
    if hasattr(pe, "DIRECTORY_ENTRY_DEBUG"):
        yield "has a debug directory"
    if header.CheckSum != pe.generate_checksum():
        yield f"check sum {header.CheckSum:#x}, not {pe.generate_checksum():#x}"
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if epoch and pe.FILE_HEADER.TimeDateStamp != int(epoch):
        yield (f"time stamp {pe.FILE_HEADER.TimeDateStamp}, "
               f"not SOURCE_DATE_EPOCH {epoch}")
    for folder in {ROOT, os.path.dirname(os.path.abspath(exe))}:
        for encoding in ("utf-8", "utf-16-le"):
            if folder.encode(encoding) in data:
                yield f"holds the path {folder} ({encoding})"


def main(argv):
    listing = argv[:1] == ["--list"]
    exe = (argv[1:] if listing else argv)[:1] or ["build/win64/velmora.exe"]
    exe = exe[0]
    with open(exe, "rb") as f:
        data = f.read()
    pe = pefile.PE(data=data)
    if listing:
        print("\n".join(sorted(set(imports(pe)))))
        return 0
    failed = 0
    unknown = sorted(set(imports(pe)) - known_imports())
    for name in unknown:
        print(f"pe-check: {name} is not known to exist on Windows 7 SP1: look "
              "it up on Microsoft Learn and add it to tools/win7-imports.txt, "
              "or look it up at run time with a fallback")
    failed += bool(unknown)
    problems = list(header_problems(pe, data, exe))
    for problem in problems:
        print(f"pe-check: {exe}: {problem}")
    failed += bool(problems)
    count = len(set(imports(pe)))
    print(f"pe-check: {count} imports, {len(unknown)} not known on Windows 7;"
          f" header: {len(problems)} problems")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
