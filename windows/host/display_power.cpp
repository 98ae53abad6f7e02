// Registration for the console display state and decoding of its notifications.
#include "windows/host/display_power.h"

// The console display state setting: its data is a DWORD, 0 off, 1 on, 2 dimmed.
static const GUID DISPLAY_STATE_SETTING = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr DWORD DISPLAY_STATE_OFF = 0;

using RegisterPowerFn = HANDLE(WINAPI*)(HANDLE recipient, const GUID* setting, DWORD flags);
using UnregisterPowerFn = BOOL(WINAPI*)(HANDLE registration);

static HANDLE g_hPowerNotify;

// The functions exist from Windows Vista on; they are looked up so that the saver still starts
// on older systems.
template <typename Fn> static Fn user32_function(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

void register_display_power(HWND hwnd) {
    if (g_hPowerNotify)
        return;
    if (auto registerFn = user32_function<RegisterPowerFn>("RegisterPowerSettingNotification"))
        g_hPowerNotify = registerFn(hwnd, &DISPLAY_STATE_SETTING, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void unregister_display_power() {
    if (!g_hPowerNotify)
        return;
    if (auto unregisterFn =
            user32_function<UnregisterPowerFn>("UnregisterPowerSettingNotification"))
        unregisterFn(g_hPowerNotify);
    g_hPowerNotify = nullptr;
}

DisplayPower read_display_power(WPARAM wParam, LPARAM lParam) {
    const auto* block = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
    if (wParam != PBT_POWERSETTINGCHANGE || !block ||
        !IsEqualGUID(block->PowerSetting, DISPLAY_STATE_SETTING) ||
        block->DataLength < sizeof(DWORD))
        return DisplayPower::Unrelated;
    DWORD state;
    CopyMemory(&state, block->Data, sizeof state);
    return state == DISPLAY_STATE_OFF ? DisplayPower::Off : DisplayPower::On;
}
