// The keys of the Linux program's own window: the view controls on the keys the Windows saver
// uses for them, F11 for the view's values, and Escape or q to close. Plain values only.
#pragma once

#include "core/settings/view_controls.h"

#include <X11/X.h>

struct KeyMeaning {
    enum Effect {
        Ignored,    // a key with no meaning here
        Control,    // apply control
        ShowParams, // print the view's values
        Quit,       // close the program
    } effect;
    ViewControl control;
};

KeyMeaning key_meaning(KeySym key);
