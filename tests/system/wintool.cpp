// Windows-side helper for the system tests: looks up windows, hosts a preview window and posts
// messages, printing what it finds as "key=value" words on one line per window.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void print_window(HWND hwnd) {
    char cls[128] = "", title[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    RECT r = {};
    GetWindowRect(hwnd, &r);
    std::printf("hwnd=%llu class=\"%s\" title=\"%s\" x=%ld y=%ld w=%ld h=%ld visible=%d "
                "style=0x%08lx exstyle=0x%08lx parent=%llu\n",
                (unsigned long long)(uintptr_t)hwnd, cls, title, r.left, r.top,
                r.right - r.left, r.bottom - r.top, IsWindowVisible(hwnd) ? 1 : 0,
                (unsigned long)GetWindowLongA(hwnd, GWL_STYLE),
                (unsigned long)GetWindowLongA(hwnd, GWL_EXSTYLE),
                (unsigned long long)(uintptr_t)GetParent(hwnd));
}

HWND handle_arg(const char* text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(text, nullptr, 10)));
}

BOOL CALLBACK print_if_class(HWND hwnd, LPARAM cls) {
    char name[128] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (!cls || std::strcmp(name, reinterpret_cast<const char*>(cls)) == 0)
        print_window(hwnd);
    return TRUE;
}

LRESULT CALLBACK host_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A top-level window like the Display settings' preview monitor, until closed or timed out.
int host(int width, int height, int seconds) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = host_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "VeltaTestHost";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Velta Test Host",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, width, height, nullptr,
                                nullptr, wc.hInstance, nullptr);
    RECT client;
    GetClientRect(hwnd, &client);
    std::printf("hwnd=%llu cw=%ld ch=%ld\n", (unsigned long long)(uintptr_t)hwnd, client.right,
                client.bottom);
    std::fflush(stdout);
    SetTimer(hwnd, 1, seconds * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == hwnd)
            DestroyWindow(hwnd);
        DispatchMessageA(&msg);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "find") == 0) {
        HWND hwnd = FindWindowA(argv[2], argv[3]);
        if (!hwnd)
            return 1;
        print_window(hwnd);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "list") == 0) {
        EnumWindows(print_if_class, reinterpret_cast<LPARAM>(argv[2]));
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "children") == 0) {
        EnumChildWindows(handle_arg(argv[2]), print_if_class, 0);
        return 0;
    }
    if (argc >= 5 && std::strcmp(argv[1], "host") == 0)
        return host(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc >= 2 && std::strcmp(argv[1], "cursor") == 0) {
        CURSORINFO info = {};
        info.cbSize = sizeof info;
        GetCursorInfo(&info);
        std::printf("showing=%d cursor=%llu x=%ld y=%ld\n", (info.flags & CURSOR_SHOWING) ? 1 : 0,
                    (unsigned long long)(uintptr_t)info.hCursor, info.ptScreenPos.x,
                    info.ptScreenPos.y);
        return 0;
    }
    if (argc >= 6 && std::strcmp(argv[1], "post") == 0) {
        return PostMessageA(handle_arg(argv[2]), std::strtoul(argv[3], nullptr, 0),
                            std::strtoull(argv[4], nullptr, 0), std::strtoll(argv[5], nullptr, 0))
                   ? 0
                   : 1;
    }
    std::fprintf(stderr, "usage: wintool find CLASS TITLE | list CLASS | children HWND | "
                         "host W H SECONDS | cursor | post HWND MSG WPARAM LPARAM\n");
    return 2;
}
