// The frame step: voices every 3.2 s, the module cycle and its fades, frames at least 31 ms
// apart, the module on screen drawn and presented.
#include "core/render/frame_step.h"

#include "core/platform.h"
#include "core/render/fade.h"
#include "core/render/render_state.h"
#include "core/scenes/draw_ops.h"
#include "core/scenes/scene_frame.h"
#include "core/settings/module_params.h"

void (*g_pfnPlayVoice)(int player);
void (*g_pfnStopVoices)();
void (*g_pfnShowModule)(int module);

static bool g_bVoiceTickSet;     // the first frame takes the voice clock's starting tick
static uint32_t g_dwAsleepSince; // tick count at which the display went off

void sleep_frames(uint32_t now) {
    if (g_bDisplayOff)
        return;
    g_bDisplayOff = true;
    g_dwAsleepSince = now;
}

void wake_frames(uint32_t now) {
    if (!g_bDisplayOff)
        return;
    g_bDisplayOff = false;
    const uint32_t asleep = now - g_dwAsleepSince;
    g_dwCycleStart += asleep;
    g_dwVoiceTick += asleep;
}

int next_voice(uint32_t now, uint32_t& voiceTick, int& voice) {
    if (now - voiceTick < VOICE_INTERVAL_MS)
        return -1;
    voiceTick = now;
    voice = (voice + 1) % VOICE_COUNT;
    return voice;
}

uint32_t pacing_delay(uint32_t now, uint32_t last) {
    const uint32_t ahead = now - last;
    const uint32_t behind = last - now;
    const uint32_t d = ahead < behind ? ahead : behind;
    return d < FRAME_INTERVAL_MS ? FRAME_INTERVAL_MS - d : 0;
}

bool cycle_time_passed(uint32_t now, uint32_t cycleStart, int cycleSeconds) {
    return static_cast<int64_t>(now - cycleStart) > static_cast<int64_t>(cycleSeconds) * 1000;
}

void advance_cycle(uint32_t now) {
    if (!g_bSaverMode || count_enabled_modules() <= 1 ||
        !cycle_time_passed(now, g_dwCycleStart, g_nCycleTime))
        return;
    if (g_nFadeState == 0)
        g_nFadeState = 2;
    if (g_nFadeState == 2) {
        // The next module comes in on the black frame.
        if (fade_out_step() == 0.0f) {
            store_module_params(g_nModule);
            g_nModule = next_enabled_module(g_nModule);
            load_module_params(g_nModule);
            g_nFadeState = 1;
        }
    } else if (g_nFadeState == 1) {
        // The next cycle counts from the end of the fade-in.
        if (fade_in_step() == 1.0f) {
            g_nFadeState = 0;
            g_dwCycleStart = g_pfnTickCount();
        }
    }
}

static void keep_voices() {
    if (!g_bVoiceTickSet) {
        g_dwVoiceTick = g_pfnTickCount();
        g_bVoiceTickSet = true;
    }
    if (!g_bSound) {
        if (g_pfnStopVoices)
            g_pfnStopVoices();
        return;
    }
    const int player = next_voice(g_pfnTickCount(), g_dwVoiceTick, g_nVoice);
    if (player >= 0 && g_pfnPlayVoice)
        g_pfnPlayVoice(player);
}

void take_step() {
    keep_voices();
    if (!g_bSaverMode && g_pfnShowModule)
        g_pfnShowModule(g_nModule);
    advance_cycle(g_pfnTickCount());
    step_module(g_nModule);
}

void frame_step() {
    keep_voices();
    if (!g_bSaverMode && g_pfnShowModule)
        g_pfnShowModule(g_nModule);
    advance_cycle(g_pfnTickCount());

    const uint32_t delay = pacing_delay(g_pfnPacingClock(), g_dwLastFrame);
    if (delay > 0) {
        g_pfnSleep(delay);
        if (g_bQuit)
            return;
    }
    g_dwLastFrame = g_pfnPacingClock();

    if (draw_module(g_nModule) && !g_bQuit)
        g_Draw.swap_buffers();
}
