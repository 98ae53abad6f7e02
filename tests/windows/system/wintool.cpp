// Windows-side helper for the system tests: looks up windows, hosts a preview window, posts
// messages (also in storms), answers message boxes, measures dialog layouts, and stores and
// reads registry values byte for byte, printing what it finds as "key=value" words on one line
// per item.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Set by "children HWND places": only where the controls are, without a message to any of them.
bool g_bPlacesOnly = false;

void print_window(HWND hwnd) {
    char cls[128] = "", title[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    const bool button = _stricmp(cls, "Button") == 0;
    // Across processes GetWindowTextA reads the text the window manager keeps, without a
    // message; that is all a button or a label has. Anything else (an edit box above all)
    // holds its own text, which only WM_GETTEXT reads. A dialog whose thread is drawing a
    // preview answers a message only between frames, so the messages are kept few.
    DWORD_PTR length = 0;
    if (g_bPlacesOnly || button || _stricmp(cls, "Static") == 0 ||
        !SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title),
                             SMTO_ABORTIFHUNG, 2000, &length))
        GetWindowTextA(hwnd, title, sizeof title);
    RECT r = {};
    GetWindowRect(hwnd, &r);
    // Buttons also tell whether they are checked; a control's id is its dialog id.
    DWORD_PTR check = 0;
    if (button && !g_bPlacesOnly)
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
int host(int width, int height, int seconds, int x = 10, int y = 10) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = host_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "VeltaTestHost";
    RegisterClassA(&wc);
    HWND hwnd =
        CreateWindowExA(0, wc.lpszClassName, "Velta Test Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x,
                        y, width, height, nullptr, nullptr, wc.hInstance, nullptr);
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

// Waits for a dialog of class "#32770" with the given caption, prints its controls as "items"
// does once its text is there, presses button id and waits until the dialog has gone. One
// program start per message box, however slowly the box comes and goes.
int answer(const char* caption, int id, int seconds) {
    const DWORD limit = seconds * 1000, start = GetTickCount();
    HWND box = nullptr;
    while (!(box = FindWindowA("#32770", caption)) && GetTickCount() - start < limit)
        Sleep(20);
    if (!box)
        return 1;
    // The box exists a moment before its text is set.
    char text[256] = "";
    while (GetDlgItemTextA(box, 0xFFFF, text, sizeof text) == 0 && IsWindow(box) &&
           GetTickCount() - start < limit)
        Sleep(20);
    EnumChildWindows(box, print_item, 0);
    std::fflush(stdout);
    HWND button = GetDlgItem(box, id);
    if (!button || !PostMessageA(button, BM_CLICK, 0, 0))
        return 2;
    while (IsWindow(box) && GetTickCount() - start < limit)
        Sleep(20);
    return IsWindow(box) ? 3 : 0;
}

// Waits for the window of class and title, then from its first moment on posts the given
// messages (each "MSG:WPARAM:LPARAM") round after round, about one round a millisecond, until
// the window has gone or the seconds are up. Prints when the window was found, how many
// messages were posted and whether the window went away.
int storm(const char* cls, const char* title, int seconds, int count, char** messages) {
    struct Posted {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Posted> round;
    for (int i = 0; i < count; ++i) {
        char* rest = messages[i];
        Posted p = {};
        p.msg = std::strtoul(rest, &rest, 0);
        if (*rest == ':')
            p.wParam = std::strtoull(rest + 1, &rest, 0);
        if (*rest == ':')
            p.lParam = std::strtoll(rest + 1, &rest, 0);
        round.push_back(p);
    }
    DWORD start = GetTickCount();
    HWND hwnd = nullptr;
    while (!(hwnd = FindWindowA(cls, title)) && GetTickCount() - start < 30000)
        Sleep(1);
    if (!hwnd)
        return 1;
    const DWORD found = GetTickCount();
    const DWORD limit = seconds * 1000;
    unsigned long posted = 0;
    while (IsWindow(hwnd) && GetTickCount() - found < limit) {
        for (const Posted& p : round)
            if (PostMessageA(hwnd, p.msg, p.wParam, p.lParam))
                ++posted;
        Sleep(1);
    }
    std::printf("found_ms=%lu posted=%lu gone=%d storm_ms=%lu\n", found - start, posted,
                IsWindow(hwnd) ? 0 : 1, GetTickCount() - found);
    return 0;
}

// What the layout check needs of a DIALOG template: its size in dialog units and its font.
struct DialogTemplate {
    int cx, cy, points;
    char face[LF_FACESIZE];
};

// False when the file has no such dialog or the dialog names no font.
bool read_template(const char* path, int id, DialogTemplate& t) {
    HMODULE file = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = file ? FindResourceA(file, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)) : nullptr;
    const WORD* p =
        found ? static_cast<const WORD*>(LockResource(LoadResource(file, found))) : nullptr;
    const DWORD style = p ? p[0] | DWORD(p[1]) << 16 : 0;
    if (style & DS_SETFONT) {
        t.cx = short(p[7]);
        t.cy = short(p[8]);
        p += 9;                                 // style, extended style, item count, x, y, cx, cy
        for (int field = 0; field < 3; ++field) // menu, class and caption
            if (*p == 0xFFFF)
                p += 2;
            else
                while (*p++) {
                }
        t.points = *p++;
        int n = 0;
        while (*p && n + 1 < LF_FACESIZE)
            t.face[n++] = char(*p++);
        t.face[n] = '\0';
    }
    if (file)
        FreeLibrary(file);
    return style & DS_SETFONT;
}

// The room a control's caption takes when drawn as the control draws it: the text's extent,
// wrapped at the control's width where the control wraps, plus a check box's square and gap
// or a push button's frame. Controls without a caption need none, except a check box's square.
SIZE caption_room(HDC dc, const char* cls, DWORD style, const char* text, int width, int dpi) {
    SIZE room = {0, 0};
    const int square = MulDiv(13, dpi, 96), gap = MulDiv(3, dpi, 96);
    int side = 0, before = 0; // margin on each side; extra room in front of the text
    UINT format = DT_CALCRECT | DT_EXPANDTABS;
    if (_stricmp(cls, "Static") == 0) {
        const DWORD type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT)
            return room;
        format |= DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    } else if (_stricmp(cls, "Button") == 0) {
        const DWORD type = style & BS_TYPEMASK;
        const bool box = type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_GROUPBOX &&
                         !(style & BS_PUSHLIKE);
        if (box && !*text) {
            room.cx = room.cy = square;
            return room;
        }
        if (box)
            before = square + gap;
        else
            side = type == BS_GROUPBOX ? MulDiv(8, dpi, 96) : gap;
        format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    } else if (_stricmp(cls, "Edit") == 0) {
        side = gap;
        format |= DT_SINGLELINE | DT_NOPREFIX;
    } else {
        return room;
    }
    if (!*text)
        return room;
    RECT r = {0, 0, width - before - 2 * side, 0};
    DrawTextA(dc, text, -1, &r, format);
    room.cx = before + 2 * side + r.right;
    room.cy = before && square > r.bottom ? square : r.bottom;
    return room;
}

// One control of "layout": its window rect, client size and caption room in the dc's font.
BOOL CALLBACK print_control_layout(HWND hwnd, LPARAM dc) {
    char cls[128] = "", text[1024] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    DWORD_PTR length = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &length);
    const DWORD style = GetWindowLongA(hwnd, GWL_STYLE);
    RECT r, client;
    GetWindowRect(hwnd, &r);
    GetClientRect(hwnd, &client);
    const SIZE room = caption_room(reinterpret_cast<HDC>(dc), cls, style, text, client.right,
                                   GetDpiForWindow(hwnd));
    std::printf("id=%d class=\"%s\" style=%lu x=%ld y=%ld w=%ld h=%ld cw=%ld ch=%ld need_w=%ld "
                "need_h=%ld\n",
                GetDlgCtrlID(hwnd), cls, (unsigned long)style, r.left, r.top, r.right - r.left,
                r.bottom - r.top, client.right, client.bottom, room.cx, room.cy);
    return TRUE;
}

// Waits for the visible dialog of that caption and prints its layout: its DPI, window rect,
// client rect and the work area of its monitor, the client size its template asks for with
// the template's font at that DPI (which equals the real one when that font is the dialog's),
// then one line per control with its window rect, client size and the room its caption needs
// in that font (what the dialog manager gives every control). path and id name the file and
// the template the dialog was made from.
// Clicks a dialog's button by a posted BM_CLICK, so that a dialog which ends on the click cannot
// hold this program up. A button not found or a post refused is tried again for two seconds;
// then what failed is printed.
int click(HWND dialog, int id) {
    HWND button = nullptr;
    DWORD error = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (attempt > 0)
            Sleep(100);
        button = GetDlgItem(dialog, id);
        if (button && PostMessageA(button, BM_CLICK, 0, 0))
            return 0;
        error = GetLastError();
    }
    std::printf("click failed: dialog=%d button=%llu error=%lu\n", IsWindow(dialog) ? 1 : 0,
                (unsigned long long)(uintptr_t)button, error);
    return 1;
}

int layout(const char* caption, const char* path, int id, int seconds) {
    const DWORD limit = seconds * 1000, start = GetTickCount();
    HWND dlg = nullptr;
    while (!((dlg = FindWindowA("#32770", caption)) && IsWindowVisible(dlg)) &&
           GetTickCount() - start < limit)
        Sleep(20);
    DialogTemplate t;
    if (!dlg || !read_template(path, id, t))
        return 1;
    const int dpi = GetDpiForWindow(dlg);
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-MulDiv(t.points, dpi, 72), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, FF_DONTCARE, t.face);
    HGDIOBJ old = SelectObject(dc, font);
    // Dialog base units as the dialog manager takes them from its font.
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SIZE letters;
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    const int expectW = MulDiv(t.cx, (letters.cx / 26 + 1) / 2, 4);
    const int expectH = MulDiv(t.cy, metrics.tmHeight, 8);
    RECT w, c;
    GetWindowRect(dlg, &w);
    GetClientRect(dlg, &c);
    MapWindowPoints(dlg, nullptr, reinterpret_cast<POINT*>(&c), 2);
    MONITORINFO monitor = {sizeof monitor, {}, {}, 0};
    GetMonitorInfoA(MonitorFromWindow(dlg, MONITOR_DEFAULTTONEAREST), &monitor);
    char used[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof used, used);
    std::printf("hwnd=%llu dpi=%d x=%ld y=%ld w=%ld h=%ld cx=%ld cy=%ld cw=%ld ch=%ld expect_cw=%d "
                "expect_ch=%d mx=%ld my=%ld mw=%ld mh=%ld face=\"%s\"\n",
                (unsigned long long)(uintptr_t)dlg, dpi, w.left, w.top, w.right - w.left,
                w.bottom - w.top, c.left, c.top, c.right - c.left, c.bottom - c.top, expectW,
                expectH, monitor.rcWork.left, monitor.rcWork.top,
                monitor.rcWork.right - monitor.rcWork.left,
                monitor.rcWork.bottom - monitor.rcWork.top, used);
    EnumChildWindows(dlg, print_control_layout, reinterpret_cast<LPARAM>(dc));
    std::fflush(stdout);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return 0;
}

std::wstring widen(const char* text) {
    std::wstring wide;
    for (const char* c = text; *c; ++c)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return wide;
}

// Sets values under HKEY_CURRENT_USER\key with exactly the bytes given, whatever their type:
// each value is NAME TYPE HEX, TYPE a registry type number and HEX the data ("-" for none).
// A TYPE of "key" makes a subkey NAME without values instead. The wide call stores string
// types byte for byte, with no conversion and no terminator added.
int set_values(const char* path, int count, char** args) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 1;
    int failures = 0;
    for (int i = 0; i + 2 < count; i += 3) {
        const char* name = args[i];
        if (std::strcmp(args[i + 1], "key") == 0) {
            HKEY sub;
            if (RegCreateKeyExA(key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr) ==
                ERROR_SUCCESS)
                RegCloseKey(sub);
            else
                ++failures;
            continue;
        }
        std::vector<BYTE> data;
        for (const char* h = args[i + 2]; h[0] && h[0] != '-' && h[1]; h += 2) {
            const char pair[3] = {h[0], h[1], 0};
            data.push_back(static_cast<BYTE>(std::strtoul(pair, nullptr, 16)));
        }
        if (RegSetValueExW(key, widen(name).c_str(), 0, std::strtoul(args[i + 1], nullptr, 0),
                           data.data(), DWORD(data.size())) != ERROR_SUCCESS)
            ++failures;
    }
    RegCloseKey(key);
    return failures ? 1 : 0;
}

// Every value of HKEY_CURRENT_USER\key as stored: name, type number and data in hex, then
// every subkey's name.
int dump_values(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 1;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(size + 1);
        nameLength = 256;
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
        std::printf("value=\"");
        for (DWORD c = 0; c < nameLength; ++c)
            std::putchar(name[c] < 0x80 ? char(name[c]) : '?');
        std::printf("\" type=%lu size=%lu data=", (unsigned long)type, (unsigned long)size);
        for (DWORD b = 0; b < size; ++b)
            std::printf("%02x", data[b]);
        std::printf("%s\n", size ? "" : "-");
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        if (RegEnumKeyA(key, i, name, sizeof name) != ERROR_SUCCESS)
            break;
        std::printf("subkey=\"%s\"\n", name);
    }
    RegCloseKey(key);
    return 0;
}

BOOL CALLBACK print_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(monitor, &info);
    const RECT& r = info.rcMonitor;
    std::printf("monitor x=%ld y=%ld w=%ld h=%ld primary=%d\n", r.left, r.top, r.right - r.left,
                r.bottom - r.top, (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    return TRUE;
}

// Tells hwnd's window procedure that the display went off (0), on (1) or dimmed (2), as the
// system does: the setting block lies in the receiving process, where the system puts it.
int send_display_state(HWND hwnd, DWORD state) {
    static const GUID DISPLAY_STATE = {
        0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return 1;
    BYTE block[sizeof(POWERBROADCAST_SETTING) + sizeof state] = {};
    auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(block);
    setting->PowerSetting = DISPLAY_STATE;
    setting->DataLength = sizeof state;
    std::memcpy(setting->Data, &state, sizeof state);
    void* remote = VirtualAllocEx(process, nullptr, sizeof block, MEM_COMMIT, PAGE_READWRITE);
    DWORD_PTR answer = 0;
    const bool sent =
        remote && WriteProcessMemory(process, remote, block, sizeof block, nullptr) &&
        SendMessageTimeoutA(hwnd, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                            reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &answer);
    CloseHandle(process); // the block stays: the saver may still be reading it
    return sent ? 0 : 1;
}

// The virtual screen and every monitor on it, as the system reports them.
int print_monitors() {
    std::printf("virtual x=%d y=%d w=%d h=%d\n", GetSystemMetrics(SM_XVIRTUALSCREEN),
                GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return EnumDisplayMonitors(nullptr, nullptr, print_monitor, 0) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // Window places in real screen pixels at any DPI, as the saver, which is DPI-aware, sees them.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
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
        g_bPlacesOnly = argc >= 4 && std::strcmp(argv[3], "places") == 0;
        EnumChildWindows(handle_arg(argv[2]), print_if_class, 0);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "control") == 0) {
        // One control: two messages instead of two for every control of the dialog, which
        // answers them only between the preview's frames.
        HWND control = GetDlgItem(handle_arg(argv[2]), std::atoi(argv[3]));
        if (!control)
            return 1;
        print_window(control);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "items") == 0) {
        EnumChildWindows(handle_arg(argv[2]), print_item, 0);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "click") == 0)
        return click(handle_arg(argv[2]), std::atoi(argv[3]));
    if (argc >= 7 && std::strcmp(argv[1], "host") == 0)
        return host(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                    std::atoi(argv[6]));
    if (argc >= 5 && std::strcmp(argv[1], "host") == 0)
        return host(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc >= 4 && std::strcmp(argv[1], "at") == 0) {
        const POINT p = {std::atoi(argv[2]), std::atoi(argv[3])};
        HWND hwnd = WindowFromPoint(p);
        if (!hwnd)
            return 1;
        print_window(GetAncestor(hwnd, GA_ROOT));
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "power") == 0)
        return send_display_state(handle_arg(argv[2]), std::strtoul(argv[3], nullptr, 10));
    if (argc >= 2 && std::strcmp(argv[1], "monitors") == 0)
        return print_monitors();
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
    if (argc >= 5 && std::strcmp(argv[1], "answer") == 0)
        return answer(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc >= 6 && std::strcmp(argv[1], "storm") == 0)
        return storm(argv[2], argv[3], std::atoi(argv[4]), argc - 5, argv + 5);
    if (argc >= 5 && std::strcmp(argv[1], "layout") == 0)
        return layout(argv[2], argv[3], std::atoi(argv[4]), argc >= 6 ? std::atoi(argv[5]) : 30);
    if (argc >= 3 && std::strcmp(argv[1], "regset") == 0)
        return set_values(argv[2], argc - 3, argv + 3);
    if (argc >= 3 && std::strcmp(argv[1], "regdump") == 0)
        return dump_values(argv[2]);
    std::fprintf(stderr,
                 "usage: wintool find CLASS TITLE | list CLASS | children HWND [places] | "
                 "control HWND ID | items HWND | click HWND ID | host W H SECONDS [X Y] | at X Y | "
                 "power HWND STATE | monitors | procinfo HWND | "
                 "describe FILE | cursor | "
                 "post HWND MSG WPARAM LPARAM [COUNT] | answer CAPTION ID SECONDS | "
                 "storm CLASS TITLE SECONDS MSG:WPARAM:LPARAM... | "
                 "layout CAPTION FILE TEMPLATE [SECONDS] | "
                 "regset KEY (NAME TYPE HEX)... | regdump KEY\n");
    return 2;
}
