// The saver window: class, creation, message loop, the three procedure layers (class
// procedure, the saver's own work, the close and cursor rules) and the frame-message chain.
#include "host/saver_window.h"

#include "host/password.h"
#include "resources/resource_ids.h"
#include "host/saver_main.h"
#include "music/players.h"
#include "render/frame_queue.h"
#include "render/frame_step.h"
#include "render/gl_context.h"
#include "render/render_state.h"
#include "settings/module_params.h"
#include "settings/registry.h"

#include <cstdlib>

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
    int width, height;
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
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
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
        g_hSaverWnd = CreateWindowExA(exStyle, SAVER_CLASS_NAME, title, style, 0, 0, width, height,
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

static void start_up(HWND hwnd) {
    g_bSaverMode = true;
    reg_set_key(hwnd, SETTINGS_KEY);
    load_settings(hwnd);
    RECT mine, desktop;
    GetClientRect(hwnd, &mine);
    GetClientRect(GetDesktopWindow(), &desktop);
    // Only widths count: a window as wide as the desktop is the full-screen saver.
    g_bFullScreen = (mine.right - mine.left) == (desktop.right - desktop.left);
    if (!create_gl_context(hwnd, 32))
        return; // the window stays black, without frames or music, until it is closed
    g_dwCycleStart = GetTickCount();
    post_frame(hwnd);
    if (g_bFullScreen && g_bSound) {
        start_players(hwnd);
        play_tune(hwnd, 0);
    }
}

static void tear_down() {
    g_bTornDown = true;
    g_bQuit = true;
    release_gl_context();
    store_module_params(g_nModule); // the view the user steered to survives
    save_settings();
    stop_all_players();
    quit_all_players();
}

static void run_frame(HWND hwnd) {
    g_bInFrame = true;
    if (drain_frame_queue(hwnd, true)) {
        frame_step(hwnd);
        if (!g_bQuit) {
            SetWindowPos(g_hSaverWnd, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
            post_frame(hwnd);
        }
    }
    g_bInFrame = false;
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
