// The command table of a player: what play, stop, quit and hello do when idle, feeding and
// draining.
#include "windows/music/player_commands.h"

void handle_player_command(PlayerState* player, UINT msg, WPARAM wParam, LPARAM lParam,
                           PlayerPhase phase) {
    switch (msg) {
    case PLAYER_PLAY: {
        char* text = reinterpret_cast<char*>(lParam);
        if (text)
            player->queue.push_back({text, reinterpret_cast<HWND>(wParam)});
        delete[] text;
        break;
    }
    case PLAYER_STOP:
        // While draining, the current tune has already been fed whole: a stop then only cuts
        // it short and never costs the requests waiting behind it.
        if (wParam == 0 && phase != PHASE_DRAIN)
            player->queue.clear();
        if (phase != PHASE_IDLE)
            player->bStop = true;
        break;
    case PLAYER_QUIT:
        player->bQuit = true;
        break;
    }
}

void take_player_command(PlayerState* player, PlayerPhase phase) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, PLAYER_HELLO, PLAYER_QUIT, PM_REMOVE))
        handle_player_command(player, msg.message, msg.wParam, msg.lParam, phase);
}
