// The OpenGL context of the drawing window (the saver window or the settings dialog's
// preview panel), its projection and the fixed state every scene relies on. Main thread only:
// the context is current on the thread that created it and nowhere else.
#pragma once

#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

extern HDC g_hDC;                  // device context of the drawing window; frames swap it
extern HGLRC g_hRC;                // rendering context, or none
extern GLUquadricObj* g_pQuadric;  // shared by every scene: smooth normals, texture coordinates
extern const float g_fFieldOfView; // vertical, degrees

// Makes hwnd ready for drawing. On failure everything made is released, one "ERROR" box has
// been shown and false is returned.
bool create_gl_context(HWND hwnd, int colorBits);
// Undoes create_gl_context; safe after a partial or failed creation and when called twice.
void release_gl_context();
// Viewport of width by height pixels with its lower left corner at x, y, and the projection
// for its shape.
void resize_gl_scene(int width, int height, int x = 0, int y = 0);
// Glyph texture, fixed state and quadric; false when the texture or the quadric cannot be made.
bool init_gl_state();
