// The fade to black and back between modules, worked through the current colour that the
// texture is modulated with. Main thread only.
#pragma once

// Fade angle added per frame, radians: a little less than pi/120.
constexpr float FADE_STEP = 0.026179917f;

// Back to full brightness at rest: angle 0, colour white, fade state 0 (showing).
void fade_reset();
// One step darker; returns the new brightness, exactly 0 on the 61st step from rest (when the
// angle also returns to 0).
float fade_out_step();
// One step brighter; returns the new brightness, exactly 1 on the 60th step from rest (when
// the angle also returns to 0).
float fade_in_step();
