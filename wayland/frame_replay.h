// One step's frame on several surfaces: the first surface's frame is drawn by the frame step
// through a recording drawing table, and every other surface shown in the same step gets the
// same drawing calls again, so the animation advances once a step however many outputs show
// it. Main thread only, with the OpenGL context current on the surface drawn.
#pragma once

// Puts the recording table in place of the drawing table and forgets the last recording.
void start_frame_recording();
// Puts the drawing table back; the recording stays for replay_frame.
void stop_frame_recording();
// Makes the recorded calls again in the current context, the present at the end included;
// false when nothing complete was recorded (the frame step drew nothing this step).
bool replay_frame();
