// Test-only library that the system tests plant beside a copy of the saver under the names of
// system libraries (opengl32.dll, glu32.dll, winmm.dll). Loaded, it writes its own path into
// "planted-log.txt" beside itself and then refuses to load, so nothing of it runs.
#include "stand_in_log.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH] = "";
    GetModuleFileNameA(self, path, sizeof path);
    log_line(self, "planted-log.txt", "event=load path=\"%s\"", path);
    return FALSE;
}
