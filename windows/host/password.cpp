// Windows 9x screen-saver password: loading the system's verifier, asking for the password
// before the saver closes, and the password change of the A switch.
#include "windows/host/password.h"

#include "windows/host/saver_main.h"
#include "windows/host/saver_window.h"

// ---- Verifier state: loaded for the life of a full-screen saver window ----
HMODULE g_hPwdLib;
VerifyPwdFn g_pfnVerifyPwd;
bool g_bInPwdCheck;
DWORD g_dwLastPwdCheck;
static bool g_bPwdChecked; // a password dialog has ended at least once
static bool g_bPwdRequest; // WM_APP is about to be sent by the close check

static const char DESKTOP_KEY[] = "Control Panel\\Desktop";

bool pwd_retry_too_soon(bool anyEnded, DWORD last, DWORD now) {
    return anyEnded && now - last < PWD_RETRY_DELAY;
}

void set_saver_running(bool on) {
    if (!g_bWin9x)
        return;
    UINT previous;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, on ? TRUE : FALSE, &previous, 0);
}

static bool password_in_use(HKEY desktop) {
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                            reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           value != 0;
}

void load_password_verifier() {
    if (!g_bWin9x)
        return;
    if (g_hPwdLib)
        unload_password_verifier();
    HKEY desktop;
    if (RegOpenKeyA(HKEY_CURRENT_USER, DESKTOP_KEY, &desktop) != ERROR_SUCCESS)
        return;
    // Without a password in use nothing is loaded and Windows is not told that a saver runs.
    if (password_in_use(desktop)) {
        g_hPwdLib = LoadLibraryA("PASSWORD.CPL");
        if (g_hPwdLib) {
            g_pfnVerifyPwd = reinterpret_cast<VerifyPwdFn>(
                reinterpret_cast<void*>(GetProcAddress(g_hPwdLib, "VerifyScreenSavePwd")));
            if (g_pfnVerifyPwd)
                set_saver_running(true);
            else
                unload_password_verifier();
        }
    }
    RegCloseKey(desktop);
}

void unload_password_verifier() {
    if (!g_bWin9x || !g_hPwdLib)
        return;
    FreeLibrary(g_hPwdLib);
    g_hPwdLib = nullptr;
    if (g_pfnVerifyPwd) {
        g_pfnVerifyPwd = nullptr;
        set_saver_running(false);
    }
}

bool take_password_request() {
    const bool asked = g_bPwdRequest;
    g_bPwdRequest = false;
    return asked;
}

bool check_close_allowed(HWND hwnd) {
    if (g_bInPwdCheck || g_bClosing)
        return false;
    if (!g_pfnVerifyPwd) {
        g_bClosing = true;
        return true;
    }
    // A refusal is followed by a quiet moment, so the mouse still moving as the dialog closes
    // does not open the next one at once.
    if (pwd_retry_too_soon(g_bPwdChecked, g_dwLastPwdCheck, GetTickCount()))
        return false;
    g_bInPwdCheck = true;
    // Timer messages already queued would reach the window while the dialog runs.
    MSG msg;
    PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    // The request is sent, so the window procedure sees it at once; the flag lets that one
    // WM_APP through and no later one dispatched while the dialog runs.
    g_bPwdRequest = true;
    g_bClosing = SendMessageA(hwnd, WM_APP, 0, 0) != 0;
    g_bPwdRequest = false;
    g_bInPwdCheck = false;
    if (!g_bClosing)
        SetCursor(nullptr);
    g_dwLastPwdCheck = GetTickCount();
    g_bPwdChecked = true;
    return g_bClosing;
}

using PwdChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);

void change_password(HWND owner) {
    if (!g_bWin9x)
        return;
    HMODULE mpr = LoadLibraryA("MPR.DLL");
    if (!mpr)
        return;
    auto change = reinterpret_cast<PwdChangePasswordFn>(
        reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
    if (change)
        change("SCRSAVE", owner, 0, nullptr);
    FreeLibrary(mpr);
}
