// Test-only stand-in for WINMM.DLL: a silent wave-out device that fails on cue, for the tests of
// a sound device that goes away mid-tune. The test plants it as the system folder's winmm.dll and
// starts the program with WINEDLLOVERRIDES=winmm=n, so Wine loads it instead of its own.
//
// A written buffer comes back done a twentieth of its sounding time later, in the order written,
// from a thread of the device's own, as a real device's would. What each device does is read
// from the variable VELTA_WAVE_PLAN when it is opened: its words go to the devices opened since
// the plan last changed, one each, the last word to all later ones.
//   ok       plays
//   open     cannot be opened (MMSYSERR_NODRIVER)
//   prepare  preparing a header fails (MMSYSERR_NOMEM)
//   writeN   the Nth write and every later one fail (MMSYSERR_ERROR), as when a device is unplugged
//   stallN   from the Nth write on, buffers are taken and never returned, and resetting fails,
//            as under Wine when the sound server dies
//   hangN    stallN, and a reset never returns
// stand_in_wave_counts tells the test how many devices were opened, failed to open and closed.
// The exported functions are defined here, not imported.
#define _WINMM_
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <cstring>
#include <deque>

namespace {

const DWORD PACE = 20; // buffers come back this many times faster than they would sound

enum Mode { MODE_OK, MODE_OPEN, MODE_PREPARE, MODE_WRITE, MODE_STALL, MODE_HANG };

struct Device {
    DWORD_PTR callback, instance;
    DWORD bytesPerSecond;
    Mode mode;
    int nFailAt;  // the write from which writeN, stallN and hangN fail
    int nWritten; // writes so far
    CRITICAL_SECTION lock;
    std::deque<WAVEHDR*> queue; // written, not yet returned, in order
    HANDLE hWake, hThread;
    bool bQuit;
};

CRITICAL_SECTION g_Lock; // the plan and the counts
char g_szPlan[256];
int g_nPlanDevice; // devices opened under the current plan
LONG g_nOpened, g_nRefused, g_nClosed;

// The current plan's word for the next device.
void next_mode(Mode* mode, int* failAt) {
    char plan[256] = "";
    GetEnvironmentVariableA("VELTA_WAVE_PLAN", plan, sizeof plan);
    EnterCriticalSection(&g_Lock);
    if (std::strcmp(plan, g_szPlan) != 0) {
        lstrcpynA(g_szPlan, plan, sizeof g_szPlan);
        g_nPlanDevice = 0;
    }
    int index = g_nPlanDevice++;
    LeaveCriticalSection(&g_Lock);
    char word[32] = "ok";
    for (const char* p = plan; *p;) {
        while (*p == ' ')
            ++p;
        const char* end = p;
        while (*end && *end != ' ')
            ++end;
        if (end > p && end - p < static_cast<int>(sizeof word)) {
            lstrcpynA(word, p, static_cast<int>(end - p) + 1);
            if (index-- == 0)
                break;
        }
        p = end;
    }
    static const struct {
        const char* name;
        Mode mode;
    } NAMES[] = {{"open", MODE_OPEN},
                 {"prepare", MODE_PREPARE},
                 {"write", MODE_WRITE},
                 {"stall", MODE_STALL},
                 {"hang", MODE_HANG}};
    *mode = MODE_OK;
    *failAt = 0;
    for (const auto& n : NAMES)
        if (std::strncmp(word, n.name, std::strlen(n.name)) == 0) {
            *mode = n.mode;
            *failAt = std::atoi(word + std::strlen(n.name));
        }
}

void notify(Device* d, UINT msg, WAVEHDR* header) {
    auto callback = reinterpret_cast<LPDRVCALLBACK>(d->callback);
    if (callback)
        callback(reinterpret_cast<HDRVR>(d), msg, d->instance, reinterpret_cast<DWORD_PTR>(header),
                 0);
}

bool stalled(const Device* d) {
    return (d->mode == MODE_STALL || d->mode == MODE_HANG) && d->nWritten >= d->nFailAt;
}

// Returns the written buffers in order, each after its paced sounding time.
DWORD WINAPI device_thread(LPVOID param) {
    Device* d = static_cast<Device*>(param);
    for (;;) {
        EnterCriticalSection(&d->lock);
        const bool quit = d->bQuit;
        WAVEHDR* header = d->queue.empty() || stalled(d) ? nullptr : d->queue.front();
        LeaveCriticalSection(&d->lock);
        if (quit)
            return 0;
        if (!header) {
            WaitForSingleObject(d->hWake, 20);
            continue;
        }
        Sleep(header->dwBufferLength * 1000 / d->bytesPerSecond / PACE);
        EnterCriticalSection(&d->lock);
        const bool still = !d->queue.empty() && d->queue.front() == header && !stalled(d);
        if (still) {
            d->queue.pop_front();
            header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        }
        LeaveCriticalSection(&d->lock);
        if (still)
            notify(d, WOM_DONE, header);
    }
}

Device* device_of(HWAVEOUT handle) {
    return reinterpret_cast<Device*>(handle);
}

} // namespace

extern "C" {

__declspec(dllexport) void stand_in_wave_counts(LONG* opened, LONG* refused, LONG* closed) {
    *opened = g_nOpened;
    *refused = g_nRefused;
    *closed = g_nClosed;
}

__declspec(dllexport) UINT WINAPI waveOutGetNumDevs() {
    return 1;
}

__declspec(dllexport) MMRESULT WINAPI
    waveOutOpen(HWAVEOUT* handle, UINT, LPCWAVEFORMATEX format, DWORD_PTR callback,
                DWORD_PTR instance, DWORD flags) {
    Mode mode;
    int failAt;
    next_mode(&mode, &failAt);
    if (mode == MODE_OPEN || !format || (flags & CALLBACK_TYPEMASK) != CALLBACK_FUNCTION) {
        InterlockedIncrement(&g_nRefused);
        return MMSYSERR_NODRIVER;
    }
    Device* d = new Device();
    d->callback = callback;
    d->instance = instance;
    d->bytesPerSecond = format->nAvgBytesPerSec ? format->nAvgBytesPerSec : 1;
    d->mode = mode;
    d->nFailAt = failAt;
    InitializeCriticalSection(&d->lock);
    d->hWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    d->hThread = CreateThread(nullptr, 0, device_thread, d, 0, nullptr);
    *handle = reinterpret_cast<HWAVEOUT>(d);
    InterlockedIncrement(&g_nOpened);
    notify(d, WOM_OPEN, nullptr);
    return MMSYSERR_NOERROR;
}

__declspec(dllexport) MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR* header, UINT) {
    if (device_of(handle)->mode == MODE_PREPARE)
        return MMSYSERR_NOMEM;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

__declspec(dllexport) MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT, WAVEHDR* header, UINT) {
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

__declspec(dllexport) MMRESULT WINAPI waveOutWrite(HWAVEOUT handle, WAVEHDR* header, UINT) {
    Device* d = device_of(handle);
    if (!(header->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    EnterCriticalSection(&d->lock);
    ++d->nWritten;
    const bool fails = d->mode == MODE_WRITE && d->nWritten >= d->nFailAt;
    if (!fails) {
        header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        d->queue.push_back(header);
    }
    LeaveCriticalSection(&d->lock);
    SetEvent(d->hWake);
    return fails ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}

// Returns every queued buffer at once, as done, on the calling thread; a stalled device keeps
// them and fails, and a hung one never returns.
__declspec(dllexport) MMRESULT WINAPI waveOutReset(HWAVEOUT handle) {
    Device* d = device_of(handle);
    EnterCriticalSection(&d->lock);
    const bool stuck = stalled(d);
    std::deque<WAVEHDR*> returned;
    if (!stuck)
        returned.swap(d->queue);
    LeaveCriticalSection(&d->lock);
    if (stuck && d->mode == MODE_HANG)
        Sleep(INFINITE);
    if (stuck)
        return MMSYSERR_ERROR;
    for (WAVEHDR* header : returned) {
        header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        notify(d, WOM_DONE, header);
    }
    return MMSYSERR_NOERROR;
}

// Closes even a stalled device with buffers in it, as Wine does; its thread has ended when this
// returns, so the callback is never called afterwards.
__declspec(dllexport) MMRESULT WINAPI waveOutClose(HWAVEOUT handle) {
    Device* d = device_of(handle);
    EnterCriticalSection(&d->lock);
    d->bQuit = true;
    LeaveCriticalSection(&d->lock);
    SetEvent(d->hWake);
    WaitForSingleObject(d->hThread, INFINITE);
    CloseHandle(d->hThread);
    CloseHandle(d->hWake);
    notify(d, WOM_CLOSE, nullptr);
    DeleteCriticalSection(&d->lock);
    delete d;
    InterlockedIncrement(&g_nClosed);
    return MMSYSERR_NOERROR;
}

// The saver's timer resolution requests are accepted and change nothing.
__declspec(dllexport) MMRESULT WINAPI timeBeginPeriod(UINT) {
    return TIMERR_NOERROR;
}
__declspec(dllexport) MMRESULT WINAPI timeEndPeriod(UINT) {
    return TIMERR_NOERROR;
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        InitializeCriticalSection(&g_Lock);
    return TRUE;
}
