// What each key of the Linux program's own window does.
#include "unix/keys.h"

#include <X11/keysym.h>

KeyMeaning key_meaning(KeySym key) {
    auto control = [](ViewControl c) { return KeyMeaning{KeyMeaning::Control, c}; };
    switch (key) {
    case XK_Prior:
    case XK_KP_Prior:
        return control(ViewControl::ZoomOut);
    case XK_Next:
    case XK_KP_Next:
        return control(ViewControl::ZoomIn);
    case XK_Up:
    case XK_KP_Up:
        return control(ViewControl::PanUp);
    case XK_Down:
    case XK_KP_Down:
        return control(ViewControl::PanDown);
    case XK_Left:
    case XK_KP_Left:
        return control(ViewControl::PanLeft);
    case XK_Right:
    case XK_KP_Right:
        return control(ViewControl::PanRight);
    case XK_F2:
        return control(ViewControl::TiltBack);
    case XK_F3:
        return control(ViewControl::TiltForward);
    case XK_F4:
        return control(ViewControl::TurnLeft);
    case XK_F5:
        return control(ViewControl::TurnRight);
    case XK_F6:
        return control(ViewControl::RollLeft);
    case XK_F7:
        return control(ViewControl::RollRight);
    case XK_F8:
        return control(ViewControl::Slower);
    case XK_F9:
        return control(ViewControl::Faster);
    case XK_Home:
    case XK_KP_Home:
        return control(ViewControl::DefaultView);
    case XK_Return:
    case XK_KP_Enter:
        return control(ViewControl::NextModule);
    case XK_BackSpace:
        return control(ViewControl::PreviousModule);
    case XK_F11:
        return {KeyMeaning::ShowParams, ViewControl::ZoomOut};
    case XK_Escape:
    case XK_q:
    case XK_Q:
        return {KeyMeaning::Quit, ViewControl::ZoomOut};
    }
    return {KeyMeaning::Ignored, ViewControl::ZoomOut};
}
