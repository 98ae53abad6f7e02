// Drives the music players the way the full-screen saver does, without the saver's window or
// settings, for the system tests and the benchmark:
//   music_probe voices SECONDS   the tune on player 0, then a new copy every 3.2 s on the
//                                next player in turn; after SECONDS it stops and quits them
//   music_probe solo COUNT       COUNT copies queued on player 0, played one after another
// It prints one "key=value" line per event, with milliseconds since the players started.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "windows/music/players.h"
#include "windows/music/wave_out.h"

namespace {

const UINT VOICE_INTERVAL_MS = 3200;
DWORD g_dwStart;
int g_nNotices;

DWORD elapsed() {
    return GetTickCount() - g_dwStart;
}

LRESULT CALLBACK probe_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        ++g_nNotices;
        std::printf("event=notice t=%lu count=%d\n", elapsed(), g_nNotices);
        std::fflush(stdout);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void voice(HWND hwnd, int player) {
    play_tune(hwnd, player);
    std::printf("event=play t=%lu player=%d\n", elapsed(), player);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const bool solo = std::strcmp(argv[1], "solo") == 0;
    const int amount = std::atoi(argv[2]);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = probe_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VeltaMusicProbe";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
    g_dwStart = GetTickCount();
    start_players(hwnd);
    std::printf("event=started t=%lu\n", elapsed());
    if (solo) {
        for (int i = 0; i < amount; ++i)
            voice(hwnd, 0);
    } else {
        voice(hwnd, 0);
    }
    DWORD lastVoice = GetTickCount();
    int player = 0;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (solo ? g_nNotices >= amount : elapsed() >= static_cast<DWORD>(amount) * 1000)
            break;
        if (!solo && GetTickCount() - lastVoice >= VOICE_INTERVAL_MS) {
            lastVoice = GetTickCount();
            player = (player + 1) % PLAYER_COUNT;
            voice(hwnd, player);
        }
        Sleep(10);
    }
    const DWORD closing = elapsed();
    stop_all_players();
    quit_all_players();
    std::printf("event=closed t=%lu quit_ms=%lu starved=%ld\n", elapsed(), elapsed() - closing,
                g_nWaveStarved);
    return 0;
}
