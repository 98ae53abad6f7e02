// The screen-saver password on the Windows 9x platform: the check before closing and the
// change for the A switch. Every operation does nothing on other platforms. Main thread only.
#pragma once

#include <windows.h>

using VerifyPwdFn = BOOL(WINAPI*)(HWND);

// A password dialog that ended less than this many milliseconds ago refuses a close at once.
constexpr DWORD PWD_RETRY_DELAY = 200;

extern HMODULE g_hPwdLib;          // "PASSWORD.CPL" while loaded
extern VerifyPwdFn g_pfnVerifyPwd; // its "VerifyScreenSavePwd", or none
extern bool g_bInPwdCheck;         // the close check is waiting for the password dialog
extern DWORD g_dwLastPwdCheck;     // tick at which the last password dialog ended

// Loads the verifier when a screen-saver password is in use, and then tells Windows that a
// saver runs. Called before the full-screen window is made.
void load_password_verifier();
// Frees the verifier and, when one was found, tells Windows that the saver no longer runs.
void unload_password_verifier();
// False keeps the window open. With a verifier, asks for the password through WM_APP sent
// to hwnd, which the window's default layer answers by calling the verifier.
bool check_close_allowed(HWND hwnd);
// True once for the WM_APP that check_close_allowed sends, so that only that request opens
// the password dialog; a player's end-of-tune notice (also WM_APP) is turned away.
bool take_password_request();
// Tells Windows 9x whether a screen saver runs.
void set_saver_running(bool on);
// Opens the system's password change for the screen saver, owned by owner.
void change_password(HWND owner);

// True while a dialog that ended at tick last (if any ended) is under PWD_RETRY_DELAY ago;
// tick differences are unsigned, so the count wrapping past zero changes nothing.
bool pwd_retry_too_soon(bool anyEnded, DWORD last, DWORD now);
