// Start-up loading of the delay-imported system libraries (OPENGL32, GLU32, WINMM): from the
// system folder only, every function bound before any other code runs, and stand-ins for what
// cannot be found instead of the loader's exceptions.
#include <windows.h>

#include <delayimp.h>
#include <mmsystem.h>

// The descriptors dlltool writes into the delay-import libraries (cmake/delay_imports.cmake),
// and mingw-w64's loader that binds one import table entry of a descriptor.
extern "C" const ImgDelayDescr __DELAY_IMPORT_DESCRIPTOR_libdelay_opengl32_a;
extern "C" const ImgDelayDescr __DELAY_IMPORT_DESCRIPTOR_libdelay_glu32_a;
extern "C" const ImgDelayDescr __DELAY_IMPORT_DESCRIPTOR_libdelay_winmm_a;
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* entry);
extern "C" IMAGE_DOS_HEADER __ImageBase;

// ---- Stand-ins for what cannot be found ----
// A 64-bit caller owns its arguments, so one function without parameters stands in for any
// signature; a 32-bit build would need one per argument size.
static_assert(sizeof(void*) == 8, "the stand-in calls rely on the 64-bit calling convention");

// OpenGL and GLU: 0 is their failure answer (no context, FALSE, no quadric, no error pending),
// so the OpenGL set-up reports its failure as it does on a display without OpenGL.
static INT_PTR WINAPI failed_gl_call() {
    return 0;
}

// WINMM: every wave-out function the saver calls returns an MMRESULT, so the players see a
// device that cannot be opened and end silently.
static INT_PTR WINAPI failed_mm_call() {
    return MMSYSERR_NODRIVER;
}

// The loader calls this where it would raise 0xC06D007E (library not found) or 0xC06D007F
// (function not found). A missing library is answered with the program's own module, which
// exports nothing: the loader keeps it as the library, so each of its functions comes back
// here as missing and gets its stand-in.
static FARPROC WINAPI delay_load_failed(unsigned notice, PDelayLoadInfo info) {
    if (notice == dliFailLoadLib)
        return reinterpret_cast<FARPROC>(GetModuleHandleA(nullptr));
    if (notice != dliFailGetProc)
        return nullptr;
    if (lstrcmpiA(info->szDll, "winmm.dll") == 0)
        return reinterpret_cast<FARPROC>(failed_mm_call);
    return reinterpret_cast<FARPROC>(failed_gl_call);
}

// Replaces the runtime's empty hook from the first moment of the process.
PfnDliHook __pfnDliFailureHook2 = delay_load_failed;

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

static void bind_all(const ImgDelayDescr& descriptor) {
    BYTE* base = reinterpret_cast<BYTE*>(&__ImageBase);
    auto names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor.rvaINT);
    auto entries = reinterpret_cast<FARPROC*>(base + descriptor.rvaIAT);
    for (int i = 0; names[i].u1.AddressOfData; ++i)
        __delayLoadHelper2(&descriptor, &entries[i]);
}

// Runs before the C++ objects of every program built on velta_core are made. The libraries are
// loaded and every function bound here, not at its first call: binutils' delay-load entry keeps
// only the integer argument registers while it loads, so a first call with float or double
// arguments (glClearColor, gluPerspective) would arrive with garbage in them.
__attribute__((constructor(101))) static void load_system_libraries() {
    if (!presents_as_win9x())
        restrict_library_search();
    bind_all(__DELAY_IMPORT_DESCRIPTOR_libdelay_opengl32_a);
    bind_all(__DELAY_IMPORT_DESCRIPTOR_libdelay_glu32_a);
    bind_all(__DELAY_IMPORT_DESCRIPTOR_libdelay_winmm_a);
}
