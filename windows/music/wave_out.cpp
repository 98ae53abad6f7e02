// Wave output of one play-out: device, five buffers, feed and drain phases, closing.
#include "windows/music/wave_out.h"

void CALLBACK wave_done_callback(HWAVEOUT, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    if (msg != WOM_DONE)
        return;
    WaveSlots* slots = reinterpret_cast<WaveSlots*>(instance);
    EnterCriticalSection(&slots->lock);
    --slots->nInFlight;
    LeaveCriticalSection(&slots->lock);
    SetEvent(slots->hDone);
}

WAVEFORMATEX wave_format(int channels, long rate) {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(2 * channels);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    return format;
}

volatile LONG g_nWaveStarved;

namespace {

// The device, its buffers and the shared slots of one play-out.
struct PlayOut {
    PlayerState* player;
    Decoder* dec;
    HWAVEOUT hDevice;
    WAVEHDR headers[WAVE_BUFFER_COUNT];
    int nCurrent; // the buffer written next; buffers are written, and finish, in this order
    int nWritten; // buffers written so far in this play-out
    WaveSlots slots;
};

bool stopping(const PlayOut& p) {
    return p.player->bStop || p.player->bQuit;
}

LONG in_flight(PlayOut& p) {
    EnterCriticalSection(&p.slots.lock);
    const LONG count = p.slots.nInFlight;
    LeaveCriticalSection(&p.slots.lock);
    return count;
}

// Reserves room for one more buffer on the device when there is any.
bool grant_buffer(PlayOut& p) {
    EnterCriticalSection(&p.slots.lock);
    if (p.slots.nInFlight == 0 && p.nWritten != 0)
        InterlockedIncrement(&g_nWaveStarved);
    const bool granted = p.slots.nInFlight < WAVE_BUFFER_COUNT;
    if (granted)
        ++p.slots.nInFlight;
    LeaveCriticalSection(&p.slots.lock);
    return granted;
}

// Fills the current buffer from the decoder and writes it, even when nothing was filled (the
// device hands an empty buffer straight back, which keeps the in-flight count right). Returns
// the bytes filled; 0 means the stream is over.
DWORD feed_buffer(PlayOut& p) {
    WAVEHDR& header = p.headers[p.nCurrent];
    header.dwBufferLength = 0;
    while (header.dwBufferLength < WAVE_BUFFER_BYTES) {
        const long got = decoder_read(p.dec, header.lpData + header.dwBufferLength,
                                      static_cast<int>(WAVE_BUFFER_BYTES - header.dwBufferLength));
        if (got <= 0)
            break; // end of stream, or a decoder error that shortens this buffer
        header.dwBufferLength += static_cast<DWORD>(got);
    }
    p.nCurrent = (p.nCurrent + 1) % WAVE_BUFFER_COUNT;
    ++p.nWritten;
    waveOutWrite(p.hDevice, &header, sizeof header);
    return header.dwBufferLength;
}

// Keeps up to five buffers queued until the stream ends (true) or a stop or quit (false).
bool feed(PlayOut& p) {
    for (;;) {
        if (stopping(p))
            return false;
        const bool granted = grant_buffer(p);
        bool woken = false;
        for (;;) {
            take_player_command(p.player, PHASE_FEED);
            if (granted)
                break;
            // All five are queued: wake when one finishes, and look at commands meanwhile.
            if (WaitForSingleObject(p.slots.hDone, WAVE_WAIT_MS) == WAIT_OBJECT_0) {
                woken = true;
                break;
            }
        }
        if (woken)
            continue;
        if (stopping(p))
            return false;
        if (feed_buffer(p) == 0)
            return true;
    }
}

// Waits for the written buffers to finish sounding; true when they all did undisturbed.
bool drain(PlayOut& p) {
    for (;;) {
        const bool empty = in_flight(p) == 0;
        for (;;) {
            take_player_command(p.player, PHASE_DRAIN);
            if (empty)
                return !stopping(p);
            if (WaitForSingleObject(p.slots.hDone, WAVE_WAIT_MS) == WAIT_OBJECT_0)
                break;
        }
        if (stopping(p))
            return false;
    }
}

void free_buffers(PlayOut& p) {
    for (WAVEHDR& header : p.headers) {
        if (header.dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(p.hDevice, &header, sizeof header);
        if (header.lpData)
            LocalFree(header.lpData);
        header.lpData = nullptr;
    }
}

void release_slots(PlayOut& p) {
    DeleteCriticalSection(&p.slots.lock);
    CloseHandle(p.slots.hDone);
}

} // namespace

bool play_out(PlayerState* player, Decoder* dec) {
    PlayOut p = {};
    p.player = player;
    p.dec = dec;
    p.slots.nInFlight = 0;
    InitializeCriticalSection(&p.slots.lock);
    p.slots.hDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format = wave_format(dec->nChannels, dec->nRate);
    if (!p.slots.hDone ||
        waveOutOpen(&p.hDevice, WAVE_MAPPER, &format,
                    reinterpret_cast<DWORD_PTR>(wave_done_callback),
                    reinterpret_cast<DWORD_PTR>(&p.slots), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        release_slots(p);
        decoder_close(dec);
        return false;
    }
    for (WAVEHDR& header : p.headers) {
        header.lpData = static_cast<LPSTR>(LocalAlloc(LMEM_FIXED, WAVE_BUFFER_BYTES));
        if (!header.lpData) {
            // Out of memory: give up like a device that cannot be opened.
            free_buffers(p);
            waveOutClose(p.hDevice);
            release_slots(p);
            decoder_close(dec);
            return false;
        }
        header.dwBufferLength = WAVE_BUFFER_BYTES;
        waveOutPrepareHeader(p.hDevice, &header, sizeof header);
    }
    p.nCurrent = 0;
    dec->nLink = 0;

    if (feed(p) && drain(p) && player->current.hNotify)
        PostMessageA(player->current.hNotify, WM_APP, 0, 0);

    // Closing: the reset returns every queued buffer (the callback runs for each), so the
    // headers are free to unprepare; the slots go last, after the device can no longer call.
    waveOutReset(p.hDevice);
    free_buffers(p);
    waveOutClose(p.hDevice);
    decoder_close(dec);
    release_slots(p);
    return true;
}
