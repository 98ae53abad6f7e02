// The screen-saver password on the Windows 9x platform: the check before closing and the
// change for the A switch. Every operation does nothing on other platforms. Main thread only.
#pragma once

#include <windows.h>

using VerifyPwdFn = BOOL(WINAPI*)(HWND);

extern HMODULE g_hPwdLib;          // "PASSWORD.CPL" while loaded
extern VerifyPwdFn g_pfnVerifyPwd; // its "VerifyScreenSavePwd", or none
extern bool g_bInPwdCheck;         // the close check is waiting for the password dialog

void load_password_verifier();
void unload_password_verifier();
// False keeps the window open.
bool check_close_allowed(HWND hwnd);
// Tells Windows 9x whether a screen saver runs.
void set_saver_running(bool on);
void change_password(HWND owner);
