// One animation frame: music voices, module cycling with its fades, pacing, drawing the
// module on screen and presenting it. Main thread, with the OpenGL context current.
#pragma once

#include "core/render/fade.h" // fade_reset, which every module switch calls

#include <cstdint>

constexpr uint32_t FRAME_INTERVAL_MS = 31;
constexpr uint32_t VOICE_INTERVAL_MS = 3200;
constexpr int VOICE_COUNT = 3;

void frame_step();

// Everything of a frame step but the pacing and the drawing: the voices, the module cycle with
// its fades, and one step of the module on screen (step_module), for programs that draw frames
// between steps.
void take_step();

// The display went off at tick now: frames stop until wake_frames.
void sleep_frames(uint32_t now);
// The display came back at tick now. The module's showing time and the voice rhythm go on from
// where they stopped, so the time asleep counts for neither, and the next frame is drawn at once.
void wake_frames(uint32_t now);

// The player to start a new voice on at tick now, or -1 when none is due; advances
// voiceTick and voice when one is.
int next_voice(uint32_t now, uint32_t& voiceTick, int& voice);

// How long to sleep before drawing at tick now when the previous frame began at last: the
// rest of FRAME_INTERVAL_MS, measured as the shorter way round the 32-bit tick count, so a
// tick count that wraps between two frames does not skip the pacing.
uint32_t pacing_delay(uint32_t now, uint32_t last);

// True when a module shown since cycleStart has had its cycleSeconds at tick now. The
// product is formed in 64 bits, so no cycle time overflows it; a negative cycle time has
// always passed.
bool cycle_time_passed(uint32_t now, uint32_t cycleStart, int cycleSeconds);

// The module cycle for one frame at tick now: the fade-out, the switch on the black frame,
// the fade-in and the start of the next cycle.
void advance_cycle(uint32_t now);
