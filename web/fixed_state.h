// The fixed-function state of the page's OpenGL subset that WebGL does not keep: the matrix
// stacks, the current colour, the alpha test, texturing, and the error flag. Main thread only.
#pragma once

#include "web/webgl_renderer.h"

#include <GL/gl.h>

// Multiplies the current matrix on the right by m (column-major), as glMultMatrix does.
void fixed_mult_matrix(const float m[16]);
// What a shape drawn now is drawn with. The projection times the model-view matrix is formed
// into storage that lasts until the next call.
DrawState fixed_draw_state();
// Remembers the first error since the last glGetError.
void fixed_record_error(GLenum error);
