// The OpenGL context of the drawing window (the saver window or the settings dialog's
// preview panel). Main thread only: the context is current on the thread that created it and
// nowhere else.
#pragma once

#include "core/render/gl_scene.h"

#include <windows.h>

extern HDC g_hDC;   // device context of the drawing window; frames swap it
extern HGLRC g_hRC; // rendering context, or none

// Makes hwnd ready for drawing: the context, then the projection for its client area and the
// fixed state (gl_scene.h). On failure everything made is released, one "ERROR" box has
// been shown and false is returned.
bool create_gl_context(HWND hwnd, int colorBits);
// Undoes create_gl_context; safe after a partial or failed creation and when called twice.
void release_gl_context();
// Sets the viewport and projection for the drawing window's client size when that size has
// changed since they were last set (Windows rescales the settings dialog and its preview
// panel when it moves to a monitor of another DPI); does nothing otherwise or without a context.
void follow_client_size();
