// Wave output of one play-out: device, five buffers, feed and drain phases, closing.
#include "windows/music/wave_out.h"

#include <new>

// One buffer fewer on the device: returned by it, or refused when written.
static void give_back_slot(WaveSlots& slots) {
    EnterCriticalSection(&slots.lock);
    --slots.nInFlight;
    LeaveCriticalSection(&slots.lock);
}

void CALLBACK wave_done_callback(HWAVEOUT, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    if (msg != WOM_DONE)
        return;
    WaveSlots* slots = reinterpret_cast<WaveSlots*>(instance);
    give_back_slot(*slots);
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

// The device, its buffers and the shared slots of one play-out. Made on the heap: when a
// failed device cannot even be closed it may still hold the headers and call back with the
// slots, so they are then left to it rather than freed.
struct PlayOut {
    PlayerState* player;
    Decoder* dec;
    HWAVEOUT hDevice;
    WAVEHDR headers[WAVE_BUFFER_COUNT];
    int nCurrent;     // the buffer written next; buffers are written, and finish, in this order
    int nWritten;     // buffers written so far in this play-out
    DWORD dwLastDone; // when the device last returned a buffer (or the play-out began)
    bool bFailed;     // the device refused a write or stopped returning buffers
    WaveSlots slots;
};

bool stopping(const PlayOut& p) {
    return p.player->bStop || p.player->bQuit || p.bFailed;
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

// Waits up to WAVE_WAIT_MS for a buffer to finish; true when one did. A device that has kept
// queued buffers past WAVE_STALL_MS without returning any is marked failed.
bool wait_for_buffer(PlayOut& p) {
    if (WaitForSingleObject(p.slots.hDone, WAVE_WAIT_MS) == WAIT_OBJECT_0) {
        p.dwLastDone = GetTickCount();
        return true;
    }
    if (GetTickCount() - p.dwLastDone >= WAVE_STALL_MS && in_flight(p) > 0)
        p.bFailed = true;
    return false;
}

// Fills the current buffer from the decoder and writes it, even when nothing was filled (the
// device hands an empty buffer straight back, which keeps the in-flight count right). Returns
// the bytes filled; 0 means the stream is over. A write the device refuses is never returned,
// so its place is given back and the device marked failed.
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
    if (waveOutWrite(p.hDevice, &header, sizeof header) != MMSYSERR_NOERROR) {
        give_back_slot(p.slots);
        p.bFailed = true;
    }
    return header.dwBufferLength;
}

// Keeps up to five buffers queued until the stream ends (true) or a stop, a quit or a failed
// device (false).
bool feed(PlayOut& p) {
    for (;;) {
        if (stopping(p))
            return false;
        const bool granted = grant_buffer(p);
        // While all five are queued, wait for one to finish, looking at commands meanwhile.
        for (;;) {
            take_player_command(p.player, PHASE_FEED);
            if (granted || stopping(p) || wait_for_buffer(p))
                break;
        }
        if (!granted)
            continue;
        if (stopping(p))
            return false;
        const DWORD filled = feed_buffer(p);
        if (p.bFailed)
            return false;
        if (filled == 0)
            return true;
    }
}

// Waits for the written buffers to finish sounding; true when they all did undisturbed.
bool drain(PlayOut& p) {
    for (;;) {
        const bool empty = in_flight(p) == 0;
        take_player_command(p.player, PHASE_DRAIN);
        if (stopping(p))
            return false;
        if (empty)
            return true;
        wait_for_buffer(p);
    }
}

void release_slots(WaveSlots& slots) {
    DeleteCriticalSection(&slots.lock);
    CloseHandle(slots.hDone);
}

// Frees the play-out once its device can no longer touch it.
void free_play_out(PlayOut* p) {
    for (WAVEHDR& header : p->headers)
        if (header.lpData)
            LocalFree(header.lpData);
    release_slots(p->slots);
    delete p;
}

// Closing: the reset returns every queued buffer (the callback runs for each), so the headers
// are free to unprepare. A device that cannot be closed keeps its buffers and may still call
// back, so the play-out is then left to it; that happens only to a failed device.
void close_device(PlayOut* p) {
    waveOutReset(p->hDevice);
    for (WAVEHDR& header : p->headers)
        if (header.dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(p->hDevice, &header, sizeof header);
    if (waveOutClose(p->hDevice) == MMSYSERR_NOERROR)
        free_play_out(p);
}

// Allocates and prepares the five buffers; false when memory or the device fails.
bool prepare_buffers(PlayOut& p) {
    for (WAVEHDR& header : p.headers) {
        header.lpData = static_cast<LPSTR>(LocalAlloc(LMEM_FIXED, WAVE_BUFFER_BYTES));
        if (!header.lpData)
            return false;
        header.dwBufferLength = WAVE_BUFFER_BYTES;
        if (waveOutPrepareHeader(p.hDevice, &header, sizeof header) != MMSYSERR_NOERROR)
            return false;
    }
    return true;
}

} // namespace

void play_out(PlayerState* player, Decoder* dec) {
    PlayOut* p = new (std::nothrow) PlayOut();
    if (!p) {
        decoder_close(dec);
        return;
    }
    p->player = player;
    p->dec = dec;
    p->slots.nInFlight = 0;
    InitializeCriticalSection(&p->slots.lock);
    p->slots.hDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX format = wave_format(dec->nChannels, dec->nRate);
    if (!p->slots.hDone || waveOutOpen(&p->hDevice, WAVE_MAPPER, &format,
                                       reinterpret_cast<DWORD_PTR>(wave_done_callback),
                                       reinterpret_cast<DWORD_PTR>(&p->slots),
                                       CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        free_play_out(p);
        decoder_close(dec);
        return;
    }
    if (prepare_buffers(*p)) {
        p->nCurrent = 0;
        p->dwLastDone = GetTickCount();
        dec->nLink = 0;
        if (feed(*p) && drain(*p) && player->current.hNotify)
            PostMessageA(player->current.hNotify, WM_APP, 0, 0);
    }
    close_device(p);
    decoder_close(dec);
}
