// The saver window: class, creation, message loop, the three procedure layers (class
// procedure, the saver's own work, the close and cursor rules) and the frame-message chain.
#include "windows/host/saver_window.h"

#include "core/platform.h"
#include "core/render/frame_step.h"
#include "core/render/render_state.h"
#include "core/settings/module_params.h"
#include "windows/host/display_power.h"
#include "windows/host/password.h"
#include "windows/host/saver_main.h"
#include "windows/music/players.h"
#include "windows/render/frame_queue.h"
#include "windows/render/gl_context.h"
#include "windows/render/monitor_copies.h"
#include "windows/render/timer_period.h"
#include "windows/resources/dialog_ids.h"
#include "windows/settings/registry.h"
#include "windows/settings/view_keys.h"

#include <cstdlib>
#include <vector>

HWND g_hSaverWnd;
bool g_bPreview;
bool g_bClosing;
POINT g_ptCursor;

// ---- Input method: the saver detaches the window's input context while it runs ----
using ImmAssociateContextFn = HANDLE(WINAPI*)(HWND, HANDLE);
static HMODULE g_hImm;
static ImmAssociateContextFn g_pfnImmAssociateContext;
static HANDLE g_hPrevImc;

static void detach_input_context(HWND hwnd) {
    g_hImm = GetModuleHandleA("IMM32.DLL"); // only when already loaded in the process
    if (!g_hImm)
        return;
    g_pfnImmAssociateContext = reinterpret_cast<ImmAssociateContextFn>(
        reinterpret_cast<void*>(GetProcAddress(g_hImm, "ImmAssociateContext")));
    if (g_pfnImmAssociateContext)
        g_hPrevImc = g_pfnImmAssociateContext(hwnd, nullptr);
}

static void restore_input_context(HWND hwnd) {
    if (g_hImm && g_pfnImmAssociateContext && g_hPrevImc)
        g_pfnImmAssociateContext(hwnd, g_hPrevImc);
}

static void post_frame(HWND hwnd) {
    PostMessageA(hwnd, WM_SAVER_FRAME, WPARAM(-1), LPARAM(-1));
}

bool mouse_moved_far(POINT reference, POINT p) {
    return std::abs(p.x - reference.x) + std::abs(p.y - reference.y) > MOUSE_MOVE_THRESHOLD;
}

// Dispatches messages until WM_QUIT and returns its wParam. A preview window can also vanish
// without this thread ever seeing WM_DESTROY, when its host in another process is destroyed
// (Wine does so); the loop then ends as if the window had closed, instead of waiting forever.
static int run_message_loop(HWND hwnd) {
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!IsWindow(hwnd))
            return 0;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 500, QS_ALLINPUT);
    }
}

int run_saver_window(HWND host) {
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = saver_window_proc;
    wc.hInstance = g_hInst;
    wc.hIcon = LoadIconA(g_hInst, MAKEINTRESOURCEA(IDI_VELTA));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = SAVER_CLASS_NAME;

    const char* title;
    DWORD style, exStyle;
    int x = 0, y = 0, width, height;
    if (host) {
        RECT client;
        GetClientRect(host, &client);
        g_bPreview = true;
        title = "Preview";
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        exStyle = 0;
        width = client.right;
        height = client.bottom;
    } else {
        // The whole virtual screen: every monitor, some of which may lie left of or above the
        // primary one, at negative coordinates.
        x = GetSystemMetrics(SM_XVIRTUALSCREEN);
        y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        HWND running = FindWindowA(SAVER_CLASS_NAME, "Screen Saver");
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            return 0;
        }
        load_password_verifier();
        title = "Screen Saver";
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        exStyle = WS_EX_TOPMOST;
    }

    int result = -1;
    if (RegisterClassA(&wc))
        g_hSaverWnd = CreateWindowExA(exStyle, SAVER_CLASS_NAME, title, style, x, y, width, height,
                                      host, nullptr, g_hInst, nullptr);
    if (g_hSaverWnd) {
        if (!g_bPreview)
            SetForegroundWindow(g_hSaverWnd);
        result = run_message_loop(g_hSaverWnd);
    } else {
        // A set-up failure box shown during WM_CREATE runs a message loop of its own; a close
        // request it hands to the window runs the teardown and destroys the window before
        // CreateWindowExA returns. The WM_QUIT of that destruction is then waiting, and the run
        // has ended as any closed saver does.
        MSG quit;
        if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            result = static_cast<int>(quit.wParam);
    }
    // A preview whose host went away never saw its teardown.
    unregister_display_power();
    return_timer_period();
    unload_password_verifier();
    return result;
}

LRESULT CALLBACK saver_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        detach_input_context(hwnd);
        // The reference position is taken here, so a cursor that never moves never closes
        // the saver, however long it runs.
        GetCursorPos(&g_ptCursor);
        if (!g_bPreview)
            SetCursor(nullptr);
        break;
    case WM_DESTROY:
        restore_input_context(hwnd);
        PostQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        if (g_bClosing)
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        if (!g_bPreview)
            SetCursor(nullptr);
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (g_bPreview) {
            HWND parent = GetParent(hwnd);
            if (parent && IsWindow(parent))
                PostMessageA(parent, msg, reinterpret_cast<WPARAM>(parent), lParam);
            return 1;
        }
        break;
    case WM_SYSCOMMAND:
        // Task switching and a second saver start are swallowed while the saver runs.
        if (!g_bPreview &&
            (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE))
            return 0;
        break;
    case WM_TIMER:
        if (g_bClosing)
            return 0;
        Sleep(0);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (g_bClosing)
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        break;
    }
    return saver_app_proc(hwnd, msg, wParam, lParam);
}

// True for a window as wide as the desktop or as the virtual screen: the full-screen saver.
// Only widths count.
static bool is_full_screen(HWND hwnd) {
    RECT mine, desktop;
    GetClientRect(hwnd, &mine);
    GetClientRect(GetDesktopWindow(), &desktop);
    const int width = mine.right - mine.left;
    return width == desktop.right - desktop.left || width == GetSystemMetrics(SM_CXVIRTUALSCREEN);
}

// The monitors as the system lists them, and which of them is the primary one.
struct Monitors {
    std::vector<ScreenRect> rects;
    int primary = 0;
};

static BOOL CALLBACK add_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM found) {
    auto* monitors = reinterpret_cast<Monitors*>(found);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        if (info.dwFlags & MONITORINFOF_PRIMARY)
            monitors->primary = static_cast<int>(monitors->rects.size());
        const RECT& r = info.rcMonitor;
        monitors->rects.push_back({r.left, r.top, r.right - r.left, r.bottom - r.top});
    }
    return TRUE;
}

// On several monitors the module is drawn on the primary one, exactly as on a single monitor of
// that size, and copied onto the others.
static void spread_over_monitors(HWND hwnd) {
    Monitors monitors;
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.rects.size() < 2)
        return;
    RECT window;
    GetWindowRect(hwnd, &window);
    g_MonitorLayout = plan_monitor_layout(
        {window.left, window.top, window.right - window.left, window.bottom - window.top},
        monitors.rects.data(), static_cast<int>(monitors.rects.size()), monitors.primary);
    const GlRect& p = g_MonitorLayout.primary;
    resize_gl_scene(p.w, p.h, p.x, p.y);
}

// The frame step's new voices; their end-of-tune notices come to the saver window, which
// ignores them.
static void play_saver_voice(int player) {
    play_tune(g_hSaverWnd, player);
}

static void start_up(HWND hwnd) {
    g_bSaverMode = true;
    g_pfnPlayVoice = play_saver_voice;
    g_pfnStopVoices = stop_all_players;
    take_timer_period();
    reg_set_key(hwnd, SETTINGS_KEY);
    load_settings(hwnd);
    g_bFullScreen = is_full_screen(hwnd);
    if (!create_gl_context(hwnd, 32))
        return; // the window stays black, without frames or music, until it is closed
    if (!g_bPreview)
        spread_over_monitors(hwnd);
    g_dwCycleStart = GetTickCount();
    post_frame(hwnd);
    register_display_power(hwnd);
    if (g_bFullScreen && g_bSound) {
        start_players(hwnd);
        play_tune(hwnd, 0);
    }
}

static void tear_down() {
    g_bTornDown = true;
    g_bQuit = true;
    unregister_display_power();
    release_gl_context();
    store_module_params(g_nModule); // the view the user steered to survives
    save_settings();
    stop_all_players();
    quit_all_players();
    return_timer_period();
}

static void run_frame(HWND hwnd) {
    g_bInFrame = true;
    // With the display off the chain ends here; it is started again when the display is back.
    if (drain_frame_queue(hwnd, true) && !g_bDisplayOff) {
        frame_step();
        if (!g_bQuit) {
            SetWindowPos(g_hSaverWnd, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
            post_frame(hwnd);
        }
    }
    g_bInFrame = false;
}

static void display_power_changed(HWND hwnd, DisplayPower power) {
    if (power == DisplayPower::Off) {
        sleep_frames(g_pfnTickCount());
        return;
    }
    if (power != DisplayPower::On || !g_bDisplayOff)
        return;
    wake_frames(g_pfnTickCount());
    // The chain runs again unless a frame message is still on its way: one being handled posts
    // the next itself, and one still queued (the display was off only between two frames)
    // carries on by itself.
    MSG queued;
    if (g_hRC && !g_bQuit && !g_bInFrame &&
        !PeekMessageA(&queued, hwnd, WM_SAVER_FRAME, WM_SAVER_FRAME, PM_NOREMOVE))
        post_frame(hwnd);
}

LRESULT saver_app_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        start_up(hwnd);
        break;
    case WM_CLOSE:
        if (!g_bTornDown)
            tear_down();
        break;
    case WM_SAVER_FRAME:
        if (!g_bInFrame && !g_bQuit)
            run_frame(hwnd);
        break;
    case WM_POWERBROADCAST:
        display_power_changed(hwnd, read_display_power(wParam, lParam));
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        // While the display is off no frame drains the queue; keys are taken here instead, so
        // that they steer and close the saver as always.
        if (g_bDisplayOff && !g_bInFrame && !g_bQuit) {
            handle_view_key(hwnd, msg, wParam, lParam);
            if (g_bQuit && !g_bTornDown)
                PostMessageA(hwnd, WM_CLOSE, 0, 0);
        }
        break;
    }
    return saver_default_proc(hwnd, msg, wParam, lParam);
}

LRESULT saver_default_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_bPreview || g_bClosing)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_CLOSE:
        if (g_bWin9x && !check_close_allowed(hwnd)) {
            GetCursorPos(&g_ptCursor);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_APP:
        // A password check asks through this message; a player's end-of-tune notice, which
        // uses the same number, must not start one, not even while the dialog runs.
        if (g_bWin9x && g_bInPwdCheck && take_password_request())
            return g_pfnVerifyPwd ? g_pfnVerifyPwd(hwnd) : 1;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (g_bInPwdCheck)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wParam)
            SetCursor(nullptr);
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return 1;
    case WM_MOUSEMOVE: {
        POINT p;
        GetCursorPos(&p);
        if (mouse_moved_far(g_ptCursor, p)) {
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            g_ptCursor = p;
        }
        break;
    }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
