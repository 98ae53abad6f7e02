// The pre-frame drain of a window's message queue.

#include "windows/render/frame_queue.h"

#include "core/render/render_state.h"
#include "windows/settings/view_keys.h"

bool drain_frame_queue(HWND hwnd, bool keys_to_view) {
    MSG msg;
    while (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE)) {
        if (g_bQuit)
            break;
        if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && keys_to_view) {
            handle_view_key(hwnd, msg.message, msg.wParam, msg.lParam);
        } else if (msg.message == WM_CLOSE) {
            g_bQuit = true;
        } else {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (!g_bQuit)
        return true;
    if (!g_bTornDown)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return false;
}
