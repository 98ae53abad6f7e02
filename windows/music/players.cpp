// The player threads: main-side commands and each player's loop over its request queue.
#include "windows/music/players.h"

#include "core/music/decoder.h"
#include "windows/music/player_commands.h"
#include "windows/music/wave_out.h"

// ---- Player table (main thread only) ----
static HANDLE g_hPlayer[PLAYER_COUNT];   // 0 when the slot has no player
static DWORD g_dwPlayerId[PLAYER_COUNT]; // 0 when the slot has no player

static const char TUNE_URL[] = "res://TESTOGG";

void start_players(HWND) {
    for (int i = 0; i < PLAYER_COUNT; ++i) {
        DWORD id = 0;
        HANDLE thread = CreateThread(nullptr, 0, player_thread, nullptr, 0, &id);
        if (!thread)
            continue; // no player in this slot: its tunes are dropped, the saver goes on
        g_hPlayer[i] = thread;
        g_dwPlayerId[i] = id;
        SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
        // The post fails until the new thread has made its message queue. A thread that ended
        // before that would never accept it, so stop trying then.
        while (!PostThreadMessageA(id, PLAYER_HELLO, 0, 0)) {
            if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0)
                break;
            Sleep(0);
        }
    }
}

void play_tune(HWND notify, int player) {
    char* text = new char[PLAY_TEXT_BYTES];
    lstrcpynA(text, TUNE_URL, PLAY_TEXT_BYTES - 1); // at most 258 characters and the NUL
    // An empty slot is tested outright: Wine accepts posts to thread id 0 and would lose the
    // block, where Windows refuses them.
    const bool has_player = player >= 0 && player < PLAYER_COUNT && g_dwPlayerId[player] != 0;
    if (!has_player ||
        !PostThreadMessageA(g_dwPlayerId[player], PLAYER_PLAY, reinterpret_cast<WPARAM>(notify),
                            reinterpret_cast<LPARAM>(text)))
        delete[] text;
}

void stop_all_players() {
    for (int i = 0; i < PLAYER_COUNT; ++i)
        if (g_hPlayer[i])
            PostThreadMessageA(g_dwPlayerId[i], PLAYER_STOP, 0, 0);
}

void quit_all_players() {
    for (int i = 0; i < PLAYER_COUNT; ++i)
        if (g_hPlayer[i])
            PostThreadMessageA(g_dwPlayerId[i], PLAYER_QUIT, 0, 0);
    // A player stuck in a device call that never returns is left to the process's end, so that
    // closing the saver never waits on the sound system.
    const DWORD start = GetTickCount();
    for (int i = 0; i < PLAYER_COUNT; ++i) {
        if (!g_hPlayer[i])
            continue;
        const DWORD spent = GetTickCount() - start;
        WaitForSingleObject(g_hPlayer[i],
                            spent < PLAYER_QUIT_WAIT_MS ? PLAYER_QUIT_WAIT_MS - spent : 0);
        CloseHandle(g_hPlayer[i]);
        g_hPlayer[i] = nullptr;
        g_dwPlayerId[i] = 0;
    }
}

// ---- Player thread ----

// Waits for, or picks up, the next command while no tune is playing. Returns true when the
// request at the front of the queue should start now, false when the player is to end.
static bool next_request(PlayerState* player) {
    for (;;) {
        MSG msg;
        if (player->queue.empty()) {
            if (GetMessageA(&msg, nullptr, PLAYER_HELLO, PLAYER_QUIT) <= 0)
                return false;
        } else if (!PeekMessageA(&msg, nullptr, PLAYER_HELLO, PLAYER_QUIT, PM_REMOVE)) {
            return true; // nothing pending: the queued request goes next
        }
        handle_player_command(player, msg.message, msg.wParam, msg.lParam, PHASE_IDLE);
        if (player->bQuit)
            return false;
        if (msg.message == PLAYER_PLAY && !player->queue.empty())
            return true;
    }
}

DWORD WINAPI player_thread(LPVOID) {
    MSG msg;
    PeekMessageA(&msg, nullptr, PLAYER_HELLO, PLAYER_QUIT, PM_NOREMOVE); // makes the queue
    PlayerState player;
    while (next_request(&player)) {
        player.current = std::move(player.queue.front());
        player.queue.pop_front();
        player.bStop = false;
        Decoder dec;
        // A tune that cannot be opened ends the player, silently: it would fail the same way
        // every time. A failing device ends only this copy (play_out).
        if (!decoder_open(&dec, player.current.url.c_str()))
            break;
        play_out(&player, &dec);
        player.current = PlayRequest();
        if (player.bQuit)
            break;
    }
    player.queue.clear();
    return 0;
}
