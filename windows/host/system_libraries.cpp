// Start-up loading of the delay-imported system libraries (OPENGL32, GLU32, WINMM): from the
// system folder only, every function bound before any other code runs, and stand-ins for what
// cannot be found.
#include "windows/host/system_libraries.h"

#include <delayimp.h>
#include <mmsystem.h>

// The descriptors dlltool writes into the delay-import libraries (cmake/delay_imports.cmake),
// named by their symbols as written, which carry no 32-bit leading underscore.
extern "C" const ImgDelayDescr
    g_OpenGlImports __asm__("__DELAY_IMPORT_DESCRIPTOR_libdelay_opengl32_a");
extern "C" const ImgDelayDescr g_GluImports __asm__("__DELAY_IMPORT_DESCRIPTOR_libdelay_glu32_a");
extern "C" const ImgDelayDescr g_WinmmImports __asm__("__DELAY_IMPORT_DESCRIPTOR_libdelay_winmm_a");
extern "C" IMAGE_DOS_HEADER __ImageBase;

// ---- Stand-ins for what cannot be found ----
// A 32-bit function removes its own arguments from the stack (__stdcall), so a stand-in must
// take exactly as many bytes as its callers push: there is one per size, from none to
// DELAY_IMPORT_LARGEST_ARGUMENTS bytes, picked by the size the import's name carries. A 64-bit
// caller removes its own arguments and its imports' names carry no size: the stand-in without
// arguments serves every signature there.
//
// OpenGL and GLU answer 0, their failure answer (no context, FALSE, no quadric, no error
// pending), so the OpenGL set-up reports its failure as it does on a display without OpenGL.
// Every wave-out function the saver calls returns an MMRESULT: MMSYSERR_NODRIVER makes the
// players see a device that cannot be opened, and they end silently.
constexpr unsigned LARGEST_ARGUMENT_WORDS = DELAY_IMPORT_LARGEST_ARGUMENTS / sizeof(DWORD);

template <unsigned WORDS> struct ArgumentWords { DWORD words[WORDS]; };

template <INT_PTR ANSWER> static INT_PTR WINAPI stand_in() {
    return ANSWER;
}

template <INT_PTR ANSWER, unsigned WORDS> static INT_PTR WINAPI stand_in(ArgumentWords<WORDS>) {
    return ANSWER;
}

template <INT_PTR ANSWER, unsigned WORDS = 0> static FARPROC stand_in_of_size(unsigned words) {
    if constexpr (WORDS > LARGEST_ARGUMENT_WORDS) {
        return nullptr; // cmake/delay_imports.cmake lets no such function into the build
    } else {
        if (words != WORDS)
            return stand_in_of_size<ANSWER, WORDS + 1>(words);
        if constexpr (WORDS == 0)
            return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(stand_in<ANSWER>));
        else
            return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(stand_in<ANSWER, WORDS>));
    }
}

unsigned split_import_name(const char* import, char* name, unsigned capacity) {
    unsigned length = 0;
    unsigned at = 0; // where the size begins, 0 while none is seen
    for (; import[length]; ++length)
        if (import[length] == '@')
            at = length + 1;
    unsigned bytes = 0;
    for (unsigned i = at; at && i < length; ++i) {
        if (import[i] < '0' || import[i] > '9')
            at = 0; // an '@' that begins no size belongs to the name
        bytes = bytes * 10 + static_cast<unsigned>(import[i] - '0');
    }
    if (at == length)
        at = 0;
    const unsigned plain = at ? at - 1 : length;
    lstrcpynA(name, import, static_cast<int>(plain + 1 < capacity ? plain + 1 : capacity));
    return at ? bytes : 0;
}

FARPROC stand_in_for(const char* import, bool multimedia) {
    char name[MAX_IMPORT_NAME];
    const unsigned words = split_import_name(import, name, sizeof name) / sizeof(DWORD);
    return multimedia ? stand_in_of_size<MMSYSERR_NODRIVER>(words) : stand_in_of_size<0>(words);
}

// ---- Start-up ----

// Windows 9x keeps its screen-saver password libraries (PASSWORD.CPL, MPR.DLL) in the system
// folder but cannot narrow the search; a system that presents itself as 9x keeps the search
// those libraries have always been found by.
static bool presents_as_win9x() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// Every later load that names no folder searches the system folder only, so a copy of one of
// these libraries beside the program (a downloads folder, a USB stick) is never loaded. Looked
// up at run time: Windows before 8 lacks it without its 2011 loader update.
static void restrict_library_search() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto set_directories = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (set_directories)
        set_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// Loads one library and fills its import table: each function by its plain name, or the
// stand-in of its argument size where the library lacks it or cannot be loaded at all. The
// lists of cmake/delay_imports.cmake name every function, none by number.
static void bind_all(const ImgDelayDescr& descriptor, bool multimedia) {
    BYTE* base = reinterpret_cast<BYTE*>(&__ImageBase);
    HMODULE library = LoadLibraryA(reinterpret_cast<const char*>(base + descriptor.rvaDLLName));
    *reinterpret_cast<HMODULE*>(base + descriptor.rvaHmod) = library;
    auto names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor.rvaINT);
    auto entries = reinterpret_cast<FARPROC*>(base + descriptor.rvaIAT);
    for (int i = 0; names[i].u1.AddressOfData; ++i) {
        const char* import = reinterpret_cast<const char*>(
            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData)->Name);
        char name[MAX_IMPORT_NAME];
        split_import_name(import, name, sizeof name);
        FARPROC found = library ? GetProcAddress(library, name) : nullptr;
        entries[i] = found ? found : stand_in_for(import, multimedia);
    }
}

// Runs before the C++ objects of every program built on velta_core are made. The libraries are
// loaded and every function bound here, not at its first call: binutils' delay-load entry keeps
// only the integer argument registers while it loads, so a first call with float or double
// arguments (glClearColor, gluPerspective) would arrive with garbage in them.
extern "C" __attribute__((constructor(101))) void load_system_libraries() {
    if (!presents_as_win9x())
        restrict_library_search();
    bind_all(g_OpenGlImports, false);
    bind_all(g_GluImports, false);
    bind_all(g_WinmmImports, true);
}
