// Test-only stand-in for WINMM.DLL: a silent wave-out device that fails on cue, planted in place
// of Wine's by tests/windows/unit/run_with_stand_in_winmm.sh. A written buffer comes back done
// at once, from inside the write; the program's other WINMM functions get its own stand-ins for
// missing ones. VELTA_WAVE_PLAN, read at each opening, holds one word per device opened since
// the plan last changed (the last word serves all later ones; one device is opened at a time):
//   ok       plays
//   prepare  preparing a header fails
//   writeN   the Nth write and every later one fail, as when a device is unplugged
//   stallN   from the Nth write on, buffers are kept and never returned and a reset fails, as
//            under Wine when the sound server dies
//   hangN    stallN, and a reset never returns
#define _WINMM_ // the functions are defined here, not imported
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>
#include <cstring>

namespace {

struct Device {
    DWORD_PTR callback, instance;
    char mode; // the plan word's first letter
    int nFailAt, nWritten;
};

char g_szPlan[256];
LONG g_nPlanDevice, g_nOpened, g_nClosed;

// The plan's word for the next device opened.
void next_word(char* word, int size) {
    char plan[256] = "";
    GetEnvironmentVariableA("VELTA_WAVE_PLAN", plan, sizeof plan);
    if (std::strcmp(plan, g_szPlan) != 0) {
        lstrcpynA(g_szPlan, plan, sizeof g_szPlan);
        g_nPlanDevice = 0;
    }
    int index = g_nPlanDevice++;
    lstrcpynA(word, "ok", size);
    for (char* p = std::strtok(plan, " "); p; p = std::strtok(nullptr, " ")) {
        lstrcpynA(word, p, size);
        if (index-- == 0)
            break;
    }
}

bool stalled(const Device* d) {
    return (d->mode == 's' || d->mode == 'h') && d->nWritten >= d->nFailAt;
}

} // namespace

extern "C" {

// Devices opened and closed so far, for the tests.
__declspec(dllexport) void stand_in_wave_counts(LONG* opened, LONG* closed) {
    *opened = g_nOpened;
    *closed = g_nClosed;
}

__declspec(dllexport) MMRESULT WINAPI waveOutOpen(HWAVEOUT* handle, UINT, LPCWAVEFORMATEX,
                                                  DWORD_PTR callback, DWORD_PTR instance, DWORD) {
    char word[32];
    next_word(word, sizeof word);
    const char* digits = word + std::strcspn(word, "0123456789");
    *handle =
        reinterpret_cast<HWAVEOUT>(new Device{callback, instance, word[0], std::atoi(digits), 0});
    InterlockedIncrement(&g_nOpened);
    return MMSYSERR_NOERROR;
}

__declspec(dllexport) MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR* header, UINT) {
    if (reinterpret_cast<Device*>(handle)->mode == 'p')
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
    Device* d = reinterpret_cast<Device*>(handle);
    ++d->nWritten;
    if (d->mode == 'w' && d->nWritten >= d->nFailAt)
        return MMSYSERR_ERROR;
    if (stalled(d)) {
        header->dwFlags |= WHDR_INQUEUE; // kept for good
        return MMSYSERR_NOERROR;
    }
    header->dwFlags |= WHDR_DONE;
    reinterpret_cast<LPDRVCALLBACK>(d->callback)(reinterpret_cast<HDRVR>(d), WOM_DONE, d->instance,
                                                 reinterpret_cast<DWORD_PTR>(header), 0);
    return MMSYSERR_NOERROR;
}

__declspec(dllexport) MMRESULT WINAPI waveOutReset(HWAVEOUT handle) {
    Device* d = reinterpret_cast<Device*>(handle);
    if (stalled(d) && d->mode == 'h')
        Sleep(INFINITE);
    return stalled(d) ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}

// Closes even a stalled device with buffers in it, as Wine does.
__declspec(dllexport) MMRESULT WINAPI waveOutClose(HWAVEOUT handle) {
    delete reinterpret_cast<Device*>(handle);
    InterlockedIncrement(&g_nClosed);
    return MMSYSERR_NOERROR;
}

} // extern "C"
