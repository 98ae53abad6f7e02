// The three music players, commanded from the main thread by thread messages.
#pragma once

#include <windows.h>

constexpr int PLAYER_COUNT = 3;

void start_players(HWND owner);
// Queues the embedded tune on player index; notify receives WM_APP when it has played out.
void play_tune(HWND notify, int player);
void stop_all_players();
// Ends every player thread and waits for each to finish.
void quit_all_players();
