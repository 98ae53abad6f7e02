// Test-only stand-in for the Windows 9x "MPR.DLL". Built twice: with PwdChangePasswordA,
// which logs its arguments and the foreground window into "mpr-log.txt" beside it, and
// without it, to stand for a library that lacks the function. Load and unload are logged too.
#include "stand_in_log.h"

static HMODULE g_hSelf;
static const char LOG[] = "mpr-log.txt";

#ifdef WITH_PASSWORD_CHANGE
extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD flags, LPVOID reserved) {
    log_line(g_hSelf, LOG,
             "event=change provider=\"%s\" owner=%llu foreground=%llu flags=%lu reserved=%llu",
             provider ? provider : "", handle_number(owner), handle_number(GetForegroundWindow()),
             static_cast<unsigned long>(flags),
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(reserved)));
    return 0;
}
#endif

// Something to export in both builds, so the library is a proper DLL either way.
extern "C" __declspec(dllexport) DWORD WINAPI
    WNetGetLastErrorA(LPDWORD code, LPSTR, DWORD, LPSTR, DWORD) {
    if (code)
        *code = 0;
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_hSelf = self;
        log_line(g_hSelf, LOG, "event=load");
    } else if (reason == DLL_PROCESS_DETACH) {
        // reserved is null when FreeLibrary unloads us, not when the process ends.
        log_line(g_hSelf, LOG, "event=unload freed=%d", reserved == nullptr ? 1 : 0);
    }
    return TRUE;
}
