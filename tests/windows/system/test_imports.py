"""The saver loads on the oldest Windows it is built for: every function it imports, from its import
table and from the delay-import tables of OPENGL32, GLU32 and WINMM that its start-up code binds,
is on the list in imports.txt, and the oldest Windows that has each is no newer than the saver's
floor (Windows 98 SE for the 32-bit saver, Windows Vista for the 64-bit one); its PE header asks
for no newer system either. A function that is newer than the floor is looked up at run time
(GetProcAddress) instead, and then stays out of the import tables.
"""
import os
import re
import struct

import pefile
import pytest

LIST = os.path.join(os.path.dirname(__file__), "imports.txt")
# Each Windows of this chain has what the ones before it have.
WINDOWS = ["95", "98", "98SE", "ME", "2000", "XP", "Vista", "7", "8", "10"]
# The floor of each build, and the system version its PE header may ask for at most.
FLOORS = {pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]: ("98SE", (4, 0)),
          pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]: ("Vista", (6, 0))}
IMPORT_ATTRIBUTES_RVA = 1  # the delay-import descriptors dlltool writes hold addresses as RVAs


def kept_list():
    """{(library, function): oldest Windows} from imports.txt's lines LIBRARY OLDEST FUNCTION..."""
    kept = {}
    with open(LIST) as f:
        for number, line in enumerate(f, 1):
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            assert len(words) >= 3 and words[1] in WINDOWS, f"imports.txt:{number}: {line!r}"
            kept.update({(words[0].lower(), function): words[1] for function in words[2:]})
    return kept


def delay_imports(pe):
    """{library: [function]} of the delay-import descriptors, found by their shape: binutils
    writes no directory entry for them. A 32-bit name's argument size (glBegin@4) is cut off."""
    image = pe.get_memory_mapped_image()
    wide = pe.OPTIONAL_HEADER.Magic == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS
    thunk = "<Q" if wide else "<I"

    def text(rva):
        end = image.find(b"\0", rva, rva + 256)
        return image[rva:end].decode("ascii", "replace") if end > 0 else ""

    found = {}
    for section in pe.sections:
        start = section.VirtualAddress
        for at in range(start, start + section.Misc_VirtualSize - 32, 4):
            attrs, name, module, table, names = struct.unpack_from("<5I", image, at)
            if attrs != IMPORT_ATTRIBUTES_RVA or not all(0 < r < len(image)
                                                        for r in (name, module, table, names)):
                continue
            library = text(name)
            if not re.fullmatch(r"\w+\.dll", library, re.I):
                continue
            functions, entry = [], names
            while (rva := struct.unpack_from(thunk, image, entry)[0]):
                functions.append(text(rva + 2).split("@")[0])
                entry += struct.calcsize(thunk)
            found[library.lower()] = functions
    return found


def imports(pe):
    """[(library, function)] of both kinds of import."""
    found = [(entry.dll.decode().lower(), symbol.name.decode())
             for entry in pe.DIRECTORY_ENTRY_IMPORT for symbol in entry.imports]
    found += [(library, f) for library, functions in delay_imports(pe).items() for f in functions]
    return found


@pytest.fixture(scope="module")
def saver(pytestconfig):
    return pefile.PE(pytestconfig.getoption("--scr"))


def test_every_import_is_kept_with_a_windows_no_newer_than_the_floor(saver):
    floor, _ = FLOORS[saver.FILE_HEADER.Machine]
    kept = kept_list()
    found = imports(saver)
    assert {"opengl32.dll", "glu32.dll", "winmm.dll"} <= {library for library, _ in found}
    unlisted = sorted(f"{library} {function}" for library, function in found
                      if (library, function) not in kept)
    assert not unlisted, ("imports missing from imports.txt (add each with the oldest Windows "
                          "that has it, or look it up at run time):\n" + "\n".join(unlisted))
    newer = sorted(f"{library} {function} {kept[(library, function)]}"
                   for library, function in found
                   if WINDOWS.index(kept[(library, function)]) > WINDOWS.index(floor))
    assert not newer, f"imports newer than Windows {floor}:\n" + "\n".join(newer)


def test_header_asks_for_no_newer_system_than_the_floor(saver):
    _, (major, minor) = FLOORS[saver.FILE_HEADER.Machine]
    header = saver.OPTIONAL_HEADER
    for what, version in [("subsystem", (header.MajorSubsystemVersion,
                                         header.MinorSubsystemVersion)),
                          ("system", (header.MajorOperatingSystemVersion,
                                      header.MinorOperatingSystemVersion))]:
        assert version <= (major, minor), f"the header asks for {what} version {version}"
