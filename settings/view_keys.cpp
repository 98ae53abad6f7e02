// Keyboard handling. No view control exists yet, so in the full-screen saver every key
// closes it; the preview inside the Display settings ignores keys.
#include "settings/view_keys.h"

#include "render/render_state.h"

LRESULT handle_view_key(HWND, UINT msg, WPARAM, LPARAM) {
    if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && g_bFullScreen && g_bSaverMode)
        g_bQuit = true;
    return 0;
}
