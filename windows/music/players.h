// The three music players: threads that each play requested tunes one at a time through
// their own wave-out device, commanded from the main thread by thread messages.
#pragma once

#include <windows.h>

constexpr int PLAYER_COUNT = 3;

// Thread messages to a player; a player fetches only this range.
constexpr UINT PLAYER_HELLO = WM_USER + 1; // 0x401 (0, 0): ignored; proves the queue exists
constexpr UINT PLAYER_PLAY = WM_USER + 2;  // 0x402 (notify window or 0, URL text block)
constexpr UINT PLAYER_STOP = WM_USER + 3;  // 0x403 (0: also discard the queue; else not, 0)
constexpr UINT PLAYER_QUIT = WM_USER + 4;  // 0x404 (0, 0): end the player thread
// A PLAYER_PLAY text block: new char[PLAY_TEXT_BYTES] holding a NUL-terminated URL. A
// successful post hands it to the player, which delete[]s it; a failed post leaves it with
// the sender.
constexpr int PLAY_TEXT_BYTES = 260;
// The longest quit_all_players waits for the players to end.
constexpr DWORD PLAYER_QUIT_WAIT_MS = 500;

// Main side. Called only on the thread that owns the saver window or settings dialog; none of
// them waits for a player except quit_all_players.

// Creates the three player threads (above-normal priority) and returns once each can take
// commands. A thread that cannot be created leaves its slot empty, so that voice stays silent
// while the others play. owner is unused. Call quit_all_players before starting again.
void start_players(HWND owner);
// Queues the embedded tune "res://TESTOGG" on player index (0..2); notify, when nonzero,
// receives WM_APP (0, 0) once the tune has sounded to its end. Does nothing on an empty or
// ended slot, or an index out of range.
void play_tune(HWND notify, int player);
// Stops every player's current tune at once and discards its queue; does not wait.
void stop_all_players();
// Ends every player thread, each after it has closed its device and decoder, and empties the
// slots. A player that has already ended is passed at once; one that has not ended within
// PLAYER_QUIT_WAIT_MS (all together) is left to end on its own or with the process.
void quit_all_players();

// Player side: the thread procedure. It owns its request queue, decoder and wave device, and
// ends (returning 0) on PLAYER_QUIT or when a request's tune cannot be opened. A wave device
// that fails ends only the copy it was playing; the next request tries the device again.
DWORD WINAPI player_thread(LPVOID unused);
