#!/usr/bin/python3
"""Fails when a file under the core folder includes anything but the core's own headers, the
shared resource ids, the generated version header, the C++ standard library, OpenGL and GLU,
and the Ogg Vorbis decoder: never a program's folder (windows/, linux/, web/) nor a window,
sound or browser system's header (windows.h, X11, PulseAudio, Emscripten)."""
import pathlib
import re
import sys

OWN = re.compile(r"core/.+|resources/resource_ids\.h|velta_version\.h")
STANDARD = {"algorithm", "array", "atomic", "cassert", "cerrno", "cfloat", "climits", "cmath",
            "cstdarg", "cstddef", "cstdint", "cstdio", "cstdlib", "cstring", "ctime", "limits",
            "memory", "new", "string", "type_traits", "utility", "vector"}
LIBRARIES = {"GL/gl.h", "GL/glu.h", "ogg/ogg.h", "vorbis/codec.h", "vorbis/vorbisfile.h"}

faults = []
for path in sorted(pathlib.Path(sys.argv[1]).rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        m = re.match(r'\s*#\s*include\s*([<"])([^>"]+)[>"]', line)
        if m and not (OWN.fullmatch(m.group(2)) if m.group(1) == '"'
                      else m.group(2) in STANDARD | LIBRARIES):
            faults.append(f"{path}:{number}: {line.strip()}")
print("\n".join(faults) or "core includes: only the core, the standard library, GL and Vorbis")
sys.exit(1 if faults else 0)
