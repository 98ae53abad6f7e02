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

// The brightness the last fade step or reset set: 1 at rest.
extern float g_fBrightness;
// Makes b the brightness of the current colour, with no call when it is that already. Frames
// drawn between two fade steps show a brightness between theirs.
void show_brightness(float b);
