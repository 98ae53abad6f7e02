// A player's request queue and flags, and how each command changes them in each phase of the
// player. Everything here belongs to one player thread and is touched only by it.
#pragma once

#include <deque>
#include <string>
#include <windows.h>

#include "windows/music/players.h"

struct PlayRequest {
    std::string url;
    HWND hNotify; // receives WM_APP when the request has played to its natural end; may be 0
};

enum PlayerPhase {
    PHASE_IDLE,  // between play-outs
    PHASE_FEED,  // buffers are being filled and written
    PHASE_DRAIN, // the stream has ended; the written buffers are finishing
};

struct PlayerState {
    std::deque<PlayRequest> queue;
    PlayRequest current;
    bool bQuit = false; // set once, never cleared
    bool bStop = false; // cleared as each request starts
};

// Handles one fetched command. PLAYER_PLAY appends a request and deletes[] its text block
// (lParam); PLAYER_STOP discards the queue when wParam is 0 (idle and feed phases only) and,
// during a play-out, sets the stop flag; PLAYER_QUIT sets the quit flag; anything else is
// dropped.
void handle_player_command(PlayerState* player, UINT msg, WPARAM wParam, LPARAM lParam,
                           PlayerPhase phase);
// Removes at most one pending player command of the calling thread, without waiting, and
// handles it for the phase.
void take_player_command(PlayerState* player, PlayerPhase phase);
