// The projection and the fixed OpenGL state every scene relies on, set up once the platform's
// window code has made an OpenGL context current. Main thread only.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

extern GLUquadricObj* g_pQuadric;  // shared by every scene: smooth normals, texture coordinates
extern const float g_fFieldOfView; // vertical, degrees

// Viewport of width by height pixels with its lower left corner at x, y, and the projection
// for its shape.
void resize_gl_scene(int width, int height, int x = 0, int y = 0);
// Glyph texture, fixed state and quadric; false when the texture or the quadric cannot be made.
bool init_gl_state();
// Frees the shapes' display lists and what init_gl_state made outside the context (the quadric;
// the texture goes with the context). Each program calls it while its context is still current,
// before releasing it; safe when nothing was made.
void release_gl_state();
