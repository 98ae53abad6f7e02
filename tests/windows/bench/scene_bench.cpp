// Scene benchmark and showcase: draws modules in a top-level window as large as the screen
// and prints, per module, the time to draw one frame and the frame interval the frame step
// achieves. With --show it keeps one module on screen for a screenshot.
//
//   scene_bench [--frames N] [--modules FIRST-LAST]     (module 0 is the blank frame)
//   scene_bench --show K [--seconds S]
#include "core/platform.h"
#include "core/render/fade.h"
#include "core/render/frame_step.h"
#include "core/render/render_state.h"
#include "core/scenes/draw_ops.h"
#include "core/scenes/scene_frame.h"
#include "core/settings/module_params.h"
#include "windows/host/saver_main.h"
#include "windows/render/gl_context.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

static LRESULT CALLBACK bench_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

static void pump(HWND hwnd) {
    MSG msg;
    while (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

static double now_ms() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

struct Figures {
    double mean, p95;
    double cpu; // processor time of the whole process per frame, renderer threads included
};

// Processor time used so far by the process, all its threads, in milliseconds. Unlike the
// wall-clock figures it hardly changes when other work competes for the cores.
static double process_cpu_ms() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

static Figures summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v)
        sum += x;
    const size_t i95 = std::min(v.size() - 1, static_cast<size_t>(v.size() * 0.95));
    return {sum / static_cast<double>(v.size()), v[i95], 0.0};
}

// Only module k enabled and on screen, from its defaults, at full brightness.
static void show_only(int k) {
    init_module_defaults();
    for (int m = 1; m <= MODULE_COUNT; ++m)
        g_Mods[m].active = m == k;
    g_nModule = k;
    load_module_params(k);
    fade_reset();
    g_dwCycleStart = GetTickCount();
}

// Drawing cost: the draw operation, the buffer swap and the wait for the renderer to finish.
static Figures measure_draw(HWND hwnd, int k, int frames) {
    show_only(k);
    std::vector<double> times;
    double cpu0 = 0;
    for (int n = 0; n < frames + 10; ++n) {
        pump(hwnd);
        if (n == 10) // the first frames initialise and warm caches
            cpu0 = process_cpu_ms();
        const double t0 = now_ms();
        draw_module(k);
        present_frame();
        glFinish();
        if (n >= 10)
            times.push_back(now_ms() - t0);
    }
    Figures f = summarise(times);
    f.cpu = (process_cpu_ms() - cpu0) / frames;
    return f;
}

// The interval between frames that the frame step itself paces, sleep included.
static Figures measure_interval(HWND hwnd, int k, int frames) {
    show_only(k);
    std::vector<double> intervals;
    double last = 0;
    for (int n = 0; n < frames + 1; ++n) {
        pump(hwnd);
        frame_step();
        const double t = now_ms();
        if (n > 0)
            intervals.push_back(t - last);
        last = t;
    }
    return summarise(intervals);
}

int main(int argc, char** argv) {
    int frames = 200, first = 0, last = MODULE_COUNT, show = 0;
    double seconds = 6;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc)
            frames = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--modules") && i + 1 < argc)
            std::sscanf(argv[++i], "%d-%d", &first, &last);
        else if (!std::strcmp(argv[i], "--show") && i + 1 < argc)
            show = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            seconds = std::atof(argv[++i]);
    }
    g_hInst = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = bench_proc;
    wc.hInstance = g_hInst;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "VeltaSceneBench";
    RegisterClassA(&wc);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND hwnd =
        CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Scene Bench", WS_POPUP | WS_VISIBLE, 0, 0,
                        width, height, nullptr, nullptr, g_hInst, nullptr);
    if (!hwnd || !create_gl_context(hwnd, 32))
        return 1;
    g_bSaverMode = true;

    if (show) {
        show_only(show);
        const double end = now_ms() + seconds * 1000.0;
        while (now_ms() < end) {
            pump(hwnd);
            frame_step();
        }
        release_gl_context();
        return 0;
    }

    std::printf("%dx%d, %d frames per module\n", width, height, frames);
    std::printf("%-3s %-11s %10s %10s %10s %13s %13s\n", "#", "module", "draw mean", "draw p95",
                "draw cpu", "interval mean", "interval p95");
    for (int k = first; k <= last; ++k) {
        const Figures draw = measure_draw(hwnd, k, frames);
        const Figures interval = measure_interval(hwnd, k, frames);
        std::printf("%-3d %-11s %7.2f ms %7.2f ms %7.2f ms %10.2f ms %10.2f ms\n", k,
                    k == 0 ? "(blank)" : module_name(k), draw.mean, draw.p95, draw.cpu,
                    interval.mean, interval.p95);
        std::fflush(stdout);
    }
    release_gl_context();
    return 0;
}
