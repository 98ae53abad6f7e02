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

// One line per control of a dialog: its id, class, style and text, with line breaks in the text
// written as \n so that each control stays on one line.
BOOL CALLBACK print_item(HWND hwnd, LPARAM) {
    char cls[128] = "", text[1024] = "", escaped[2048] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, text, sizeof text);
    size_t n = 0;
    for (const char* c = text; *c && n + 2 < sizeof escaped; ++c) {
        if (*c == '\n' || *c == '\r') {
            if (*c == '\n') {
                escaped[n++] = '\\';
                escaped[n++] = 'n';
            }
        } else if (*c != '"') {
            escaped[n++] = *c;
        }
    }
    escaped[n] = '\0';
    RECT r = {};
    GetWindowRect(hwnd, &r);
    std::printf("id=%d class=\"%s\" style=0x%08lx w=%ld h=%ld text=\"%s\"\n", GetDlgCtrlID(hwnd),
                cls, (unsigned long)GetWindowLongA(hwnd, GWL_STYLE), r.right - r.left,
                r.bottom - r.top, escaped);
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
    if (argc >= 3 && std::strcmp(argv[1], "items") == 0) {
        EnumChildWindows(handle_arg(argv[2]), print_item, 0);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "click") == 0) {
        // Posted, so that a dialog which ends on the click cannot hold this program up.
        HWND button = GetDlgItem(handle_arg(argv[2]), std::atoi(argv[3]));
        return button && PostMessageA(button, BM_CLICK, 0, 0) ? 0 : 1;
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
        // An optional count posts the same message that many times back to back, so they
        // reach the window's queue within a millisecond or so of each other.
        const int count = argc >= 7 ? std::atoi(argv[6]) : 1;
        for (int i = 0; i < count; ++i)
            if (!PostMessageA(handle_arg(argv[2]), std::strtoul(argv[3], nullptr, 0),
                              std::strtoull(argv[4], nullptr, 0),
                              std::strtoll(argv[5], nullptr, 0)))
                return 1;
        return 0;
    }
    std::fprintf(stderr, "usage: wintool find CLASS TITLE | list CLASS | children HWND | "
                         "items HWND | click HWND ID | host W H SECONDS | cursor | "
                         "post HWND MSG WPARAM LPARAM [COUNT]\n");
    return 2;
}
