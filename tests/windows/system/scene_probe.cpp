// Draws the modules with the real OpenGL drawing in a top-level window as large as the screen,
// for the system tests:
//   scene_probe show K SECONDS        module K with its default view, paced like the saver
//   scene_probe cycle SECONDS CYCLE   every module enabled, the frame step cycling every CYCLE s
// Each mode prints key=value lines; a GL error seen by any frame is counted in errors=.
#include "core/platform.h"
#include "core/render/frame_step.h"
#include "core/render/render_state.h"
#include "core/scenes/draw_ops.h"
#include "core/scenes/scene_frame.h"
#include "core/settings/module_params.h"
#include "windows/render/gl_context.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static int g_nErrors;

// Every glGetError a frame makes passes through here, so no error goes uncounted.
static GLenum APIENTRY counting_get_error() {
    const GLenum e = glGetError();
    if (e != GL_NO_ERROR)
        ++g_nErrors;
    return e;
}

static LRESULT CALLBACK probe_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(hwnd, msg, wp, lp);
}

static HWND open_window() {
    WNDCLASSA wc = {};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = probe_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VeltaSceneProbe";
    RegisterClassA(&wc);
    HWND hwnd =
        CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Scene Probe", WS_POPUP | WS_VISIBLE, 0, 0,
                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                        nullptr, wc.hInstance, nullptr);
    if (!hwnd || !create_gl_context(hwnd, 32))
        return nullptr;
    g_Draw.get_error = counting_get_error;
    return hwnd;
}

static void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

static double now_ms() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * double(c.QuadPart) / double(f.QuadPart);
}

// Committed private memory of the process, in KiB.
static unsigned long memory_kib() {
    PROCESS_MEMORY_COUNTERS pmc = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return static_cast<unsigned long>(pmc.PagefileUsage / 1024);
}

static void enable_only(int k) {
    init_module_defaults();
    for (int m = 1; m <= MODULE_COUNT; ++m)
        g_Mods[m].active = (k == 0 || m == k) ? 1 : 0;
}

static int show(int k, double seconds) {
    HWND hwnd = open_window();
    if (!hwnd)
        return 2;
    enable_only(k);
    load_module_params(k);
    int frames = 0, incomplete = 0;
    const double end = now_ms() + 1000.0 * seconds;
    while (now_ms() < end) {
        pump();
        if (draw_module(k))
            present_frame();
        else
            ++incomplete;
        if (++frames == 1) {
            std::printf("shown module=%d\n", k);
            std::fflush(stdout);
        }
        Sleep(FRAME_INTERVAL_MS);
    }
    std::printf("module=%d frames=%d incomplete=%d errors=%d\n", k, frames, incomplete, g_nErrors);
    release_gl_context();
    return 0;
}

static int cycle(double seconds, int cycleTime) {
    HWND hwnd = open_window();
    if (!hwnd)
        return 2;
    enable_only(0);
    g_nCycleTime = cycleTime;
    g_bSaverMode = true;
    g_nModule = next_enabled_module(0);
    load_module_params(g_nModule);
    g_dwCycleStart = GetTickCount();
    bool visited[MODULE_COUNT + 1] = {};
    int laps = 0, frames = 0; // lap 0 is the first pass, up to the return to module 1
    const double end = now_ms() + 1000.0 * seconds;
    while (now_ms() < end) {
        pump();
        const int before = g_nModule;
        frame_step();
        ++frames;
        visited[g_nModule] = true;
        // Memory is sampled on every switch, so a test can compare the same point of two laps.
        if (g_nModule != before) {
            if (g_nModule == 1)
                ++laps;
            std::printf("switch module=%d lap=%d memory_kib=%lu errors=%d\n", g_nModule, laps,
                        memory_kib(), g_nErrors);
            std::fflush(stdout);
        }
    }
    int count = 0;
    for (int k = 1; k <= MODULE_COUNT; ++k)
        count += visited[k];
    std::printf("frames=%d visited=%d laps=%d errors=%d memory_kib=%lu\n", frames, count, laps,
                g_nErrors, memory_kib());
    release_gl_context();
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "show") == 0)
        return show(std::atoi(argv[2]), std::atof(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "cycle") == 0)
        return cycle(std::atof(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr, "usage: scene_probe show K SECONDS | cycle SECONDS CYCLE\n");
    return 1;
}
