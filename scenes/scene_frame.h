// The module catalogue's draw operations and the frame every module follows. Main thread,
// with the OpenGL context current.
#pragma once

// Clears the colour and depth buffers; 1 when OpenGL reports no error, else 0.
int DrawBlank();

// Draws module index (0 = none) as a complete frame; nonzero when it is to be presented.
int draw_module(int index);
