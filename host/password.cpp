// Windows 9x password handling. This build has none yet: no password is ever asked, so
// every close is allowed at once.
#include "host/password.h"

#include "host/saver_window.h"

HMODULE g_hPwdLib;
VerifyPwdFn g_pfnVerifyPwd;
bool g_bInPwdCheck;

void load_password_verifier() {}
void unload_password_verifier() {}

bool check_close_allowed(HWND) {
    g_bClosing = true;
    return true;
}

void set_saver_running(bool) {}
void change_password(HWND) {}
