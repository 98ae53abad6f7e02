// The work done with a window's queued messages before each frame, shared by the saver window
// and the settings dialog's preview. Main thread only.
#pragma once

#include <windows.h>

// Removes and handles the messages queued for hwnd. Key presses and releases go straight to the
// view controls when keys_to_view is set (the dialog clears it while the user types in its
// seconds box); a close request only sets g_bQuit and ends the drain; everything else is
// translated and dispatched. When a close was requested, it is posted again for the window's
// own handler, so its teardown runs exactly once, and false is returned: no frame is drawn.
bool drain_frame_queue(HWND hwnd, bool keys_to_view);
