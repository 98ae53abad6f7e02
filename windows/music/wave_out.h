// One play-out: a decoder's PCM fed through the player's own wave-out device in five rotating
// buffers, paced by the device's buffer-done callback, with the player's commands taken in
// between buffers.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "core/music/decoder.h"
#include "windows/music/player_commands.h"

constexpr int WAVE_BUFFER_COUNT = 5;
constexpr DWORD WAVE_BUFFER_BYTES = 4096;
constexpr DWORD WAVE_WAIT_MS = 50; // longest sleep between looks at the player's commands
// A device that has returned no buffer for this long while some are queued on it is taken for
// gone (a sound server that died, a headset unplugged): the queued sound lasts about 232 ms, so
// a working device returns one long before, even on a busy machine.
constexpr DWORD WAVE_STALL_MS = 2000;

// The only state a play-out shares with the device's callback thread. The in-flight count is
// read and changed only inside the lock: the player raises it for each buffer it writes, the
// callback lowers it for each buffer the device returns, then sets the auto-reset done event.
struct WaveSlots {
    LONG nInFlight; // buffers written and not yet finished, 0..WAVE_BUFFER_COUNT
    CRITICAL_SECTION lock;
    HANDLE hDone;
};

// Wave-out callback; instance is the play-out's WaveSlots. Runs on a system thread: for
// WOM_DONE it enters and leaves the lock and sets the event, and calls nothing else (the
// platform forbids most calls from here). Other messages are ignored.
void CALLBACK wave_done_callback(HWAVEOUT device, UINT msg, DWORD_PTR instance, DWORD_PTR p1,
                                 DWORD_PTR p2);

// The PCM format for a stream: 16-bit, the stream's channels and rate.
WAVEFORMATEX wave_format(int channels, long rate);

// Buffers granted mid-stream when the device had already played everything queued: each is
// a gap in the sound of the players' own making (the decoder or the player thread fell
// behind). Counted across all players with interlocked increments; read by the benchmark.
extern volatile LONG g_nWaveStarved;

// Plays the open decoder out on the calling player thread, taking in the player's commands
// as it goes; a stop or quit flag ends it at the next look at the commands and cuts the sound
// off. Posts WM_APP to the current request's notify window when the stream has sounded to its
// natural end. A device that cannot be opened or prepared, refuses a write or stops returning
// buffers ends this play-out only, silently: the player goes on with its next request, which
// opens the device anew. Always closes the decoder.
void play_out(PlayerState* player, Decoder* dec);
