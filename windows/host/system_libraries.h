// The names and stand-ins of the functions the saver imports from OPENGL32, GLU32 and WINMM.
#pragma once

#include <windows.h>

// Longest function name the import lists carry, with its size and terminator.
constexpr unsigned MAX_IMPORT_NAME = 128;

// An import's name as the import lists carry it, "waveOutOpen@24" on 32-bit Windows (the bytes of
// arguments its callers push), plain "waveOutOpen" on 64-bit: writes the plain name into name
// (cut to capacity) and returns the argument size, 0 where the name carries none.
unsigned split_import_name(const char* import, char* name, unsigned capacity);

// The function standing in for a missing import of that name: it removes the arguments the
// name's size says and answers OpenGL's failure (0), or WINMM's (MMSYSERR_NODRIVER) when
// multimedia is set. Null for a size no stand-in takes.
FARPROC stand_in_for(const char* import, bool multimedia);
