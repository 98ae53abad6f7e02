// Windows-side helper for the system tests: looks up windows, hosts a preview window and posts
// messages, printing what it finds as "key=value" words on one line per window.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void print_window(HWND hwnd) {
    char cls[128] = "", title[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    // WM_GETTEXT rather than GetWindowTextA: across processes only the message reads what an
    // edit box holds.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title),
                             SMTO_ABORTIFHUNG, 2000, &length))
        GetWindowTextA(hwnd, title, sizeof title);
    RECT r = {};
    GetWindowRect(hwnd, &r);
    // Buttons also tell whether they are checked; a control's id is its dialog id.
    DWORD_PTR check = 0;
    if (_stricmp(cls, "Button") == 0)
        SendMessageTimeoutA(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check);
    std::printf("hwnd=%llu class=\"%s\" title=\"%s\" x=%ld y=%ld w=%ld h=%ld visible=%d "
                "style=0x%08lx exstyle=0x%08lx parent=%llu id=%d check=%d enabled=%d\n",
                (unsigned long long)(uintptr_t)hwnd, cls, title, r.left, r.top, r.right - r.left,
                r.bottom - r.top, IsWindowVisible(hwnd) ? 1 : 0,
                (unsigned long)GetWindowLongA(hwnd, GWL_STYLE),
                (unsigned long)GetWindowLongA(hwnd, GWL_EXSTYLE),
                (unsigned long long)(uintptr_t)GetParent(hwnd), GetDlgCtrlID(hwnd), (int)check,
                IsWindowEnabled(hwnd) ? 1 : 0);
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
    HWND hwnd =
        CreateWindowExA(0, wc.lpszClassName, "Velta Test Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        10, 10, width, height, nullptr, nullptr, wc.hInstance, nullptr);
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

// Resource use of the process that owns hwnd, from the system's process list: handles,
// threads, private bytes and working set.
int process_info(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    while (NtQuerySystemInformation(SystemProcessInformation, buffer.data(), ULONG(buffer.size()),
                                    &needed) != 0) {
        if (buffer.size() >= (64u << 20))
            return 1;
        buffer.resize(buffer.size() * 2);
    }
    for (size_t offset = 0;;) {
        const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&buffer[offset]);
        if (uintptr_t(p->UniqueProcessId) == pid) {
            std::printf("pid=%lu handles=%lu threads=%lu private=%llu workingset=%llu "
                        "peakworkingset=%llu\n",
                        (unsigned long)pid, (unsigned long)p->HandleCount,
                        (unsigned long)p->NumberOfThreads, (unsigned long long)p->PrivatePageCount,
                        (unsigned long long)p->VirtualMemoryCounters.WorkingSetSize,
                        (unsigned long long)p->VirtualMemoryCounters.PeakWorkingSetSize);
            return 0;
        }
        if (!p->NextEntryOffset)
            return 1;
        offset += p->NextEntryOffset;
    }
}

// What the Screen Saver settings page reads from a saver file without running it: the name in
// string 1, then the application manifest's text after a "manifest:" line.
int describe_file(const char* path) {
    HMODULE file = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!file)
        return 1;
    char name[256] = "";
    LoadStringA(file, 1, name, sizeof name);
    std::printf("name=\"%s\"\n", name);
    HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found) {
        const char* text = static_cast<const char*>(LockResource(LoadResource(file, found)));
        std::printf("manifest:\n%.*s\n", (int)SizeofResource(file, found), text);
    }
    FreeLibrary(file);
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
    if (argc >= 3 && std::strcmp(argv[1], "procinfo") == 0)
        return process_info(handle_arg(argv[2]));
    if (argc >= 3 && std::strcmp(argv[1], "describe") == 0)
        return describe_file(argv[2]);
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
                         "items HWND | click HWND ID | host W H SECONDS | procinfo HWND | "
                         "describe FILE | cursor | "
                         "post HWND MSG WPARAM LPARAM [COUNT]\n");
    return 2;
}
