// Test-only stand-in for the Windows 9x "PASSWORD.CPL": its VerifyScreenSavePwd answers what
// the test wrote into "password-answers.txt" beside it, one line ("1" accept, "0" refuse) per
// call. With no answer waiting it opens a modal dialog, owned by the caller's window, that
// stays until the test writes one. Every call and the library's load and unload are logged
// in "password-log.txt", with the screen-saver-running state the saver has set.
#include "stand_in_log.h"

static HMODULE g_hSelf;
static int g_nDepth; // calls in progress: above 1 means a second dialog inside the first

static const char LOG[] = "password-log.txt";
static const char ANSWERS[] = "password-answers.txt";

// Takes the first line of the answers file: 1 or 0, or -1 when none is waiting.
static int take_answer() {
    char path[MAX_PATH];
    path_beside(g_hSelf, ANSWERS, path, sizeof path);
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return -1;
    char text[4096];
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    text[n] = '\0';
    const char* p = text;
    while (*p == '\r' || *p == '\n' || *p == ' ')
        ++p;
    if (*p != '0' && *p != '1')
        return -1;
    const int answer = *p - '0';
    const char* rest = std::strchr(p, '\n');
    f = std::fopen(path, "wb");
    if (f) {
        if (rest)
            std::fputs(rest + 1, f);
        std::fclose(f);
    }
    return answer;
}

static INT_PTR CALLBACK wait_proc(HWND dlg, UINT msg, WPARAM, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SetTimer(dlg, 1, 50, nullptr);
        return TRUE;
    case WM_TIMER: {
        const int answer = take_answer();
        if (answer >= 0)
            EndDialog(dlg, answer);
        return TRUE;
    }
    }
    return FALSE;
}

// A captioned dialog with no controls, waiting for the test's answer.
static int wait_for_answer(HWND owner) {
    struct alignas(4) {
        DLGTEMPLATE head;
        WORD menu, cls;
        WCHAR title[18];
    } tmpl = {};
    tmpl.head.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
    tmpl.head.cx = 160;
    tmpl.head.cy = 40;
    std::memcpy(tmpl.title, L"Password Stand-in", sizeof tmpl.title);
    return static_cast<int>(DialogBoxIndirectParamA(g_hSelf, &tmpl.head, owner, wait_proc, 0));
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND hwnd) {
    ++g_nDepth;
    char cls[128] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    log_line(g_hSelf, LOG, "event=ask hwnd=%llu class=\"%s\" running=%d depth=%d",
             handle_number(hwnd), cls, running ? 1 : 0, g_nDepth);
    int answer = take_answer();
    if (answer < 0)
        answer = wait_for_answer(hwnd);
    log_line(g_hSelf, LOG, "event=answer value=%d depth=%d", answer, g_nDepth);
    --g_nDepth;
    return answer == 1;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_hSelf = self;
        log_line(g_hSelf, LOG, "event=load");
    } else if (reason == DLL_PROCESS_DETACH) {
        // reserved is null when FreeLibrary unloads us, not when the process ends.
        const bool freed = reserved == nullptr;
        const bool window = freed && FindWindowA("WindowsScreenSaverClass", nullptr) != nullptr;
        log_line(g_hSelf, LOG, "event=unload freed=%d saver_window=%d", freed ? 1 : 0,
                 window ? 1 : 0);
    }
    return TRUE;
}
