// Fixed-text message boxes with no owner window, the program's only way of reporting
// failures. Main thread only. Tests replace g_pfnAlert with a recorder so that nothing waits
// for a click.
#pragma once

constexpr unsigned ALERT_PLAIN = 0x00;       // MB_OK
constexpr unsigned ALERT_EXCLAMATION = 0x30; // MB_ICONEXCLAMATION
constexpr unsigned ALERT_INFORMATION = 0x40; // MB_ICONINFORMATION

using AlertFn = void (*)(const char* text, const char* caption, unsigned icon);

// Shows one box; defaults to a MessageBoxA with an OK button and no owner.
extern AlertFn g_pfnAlert;

inline void alert(const char* text, const char* caption, unsigned icon = ALERT_PLAIN) {
    g_pfnAlert(text, caption, icon);
}
