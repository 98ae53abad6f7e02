// Keyboard controls of the module on screen, in the saver and the settings dialog's preview.
#pragma once

#include <windows.h>

// Handles a key message taken from the queue before a frame; may set g_bQuit. Returns 0.
LRESULT handle_view_key(HWND hwnd, UINT msg, WPARAM key, LPARAM data);
