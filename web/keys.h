// The page's view keys, by the DOM's key codes: the keys of the Linux program where the
// browser lets a page have them. Plain values only.
#pragma once

#include "core/settings/view_controls.h"

// The view control of the key with that KeyboardEvent.code ("PageUp", "Numpad9", "F5"), or
// false for a key the page leaves to the browser.
bool key_control(const char* code, ViewControl* control);
