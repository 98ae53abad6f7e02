// The key codes of the view controls, with the numeric keypad's duplicates.
#include "web/keys.h"

#include <cstring>

namespace {

struct KeyEntry {
    const char* code;
    ViewControl control;
};

const KeyEntry KEYS[] = {
    {"PageUp", ViewControl::ZoomOut},
    {"Numpad9", ViewControl::ZoomOut},
    {"PageDown", ViewControl::ZoomIn},
    {"Numpad3", ViewControl::ZoomIn},
    {"ArrowUp", ViewControl::PanUp},
    {"Numpad8", ViewControl::PanUp},
    {"ArrowDown", ViewControl::PanDown},
    {"Numpad2", ViewControl::PanDown},
    {"ArrowLeft", ViewControl::PanLeft},
    {"Numpad4", ViewControl::PanLeft},
    {"ArrowRight", ViewControl::PanRight},
    {"Numpad6", ViewControl::PanRight},
    {"F2", ViewControl::TiltBack},
    {"F3", ViewControl::TiltForward},
    {"F4", ViewControl::TurnLeft},
    {"F5", ViewControl::TurnRight},
    {"F6", ViewControl::RollLeft},
    {"F7", ViewControl::RollRight},
    {"F8", ViewControl::Slower},
    {"F9", ViewControl::Faster},
    {"Home", ViewControl::DefaultView},
    {"Numpad7", ViewControl::DefaultView},
    {"Enter", ViewControl::NextModule},
    {"NumpadEnter", ViewControl::NextModule},
    {"Backspace", ViewControl::PreviousModule},
};

} // namespace

bool key_control(const char* code, ViewControl* control) {
    for (const KeyEntry& k : KEYS)
        if (std::strcmp(code, k.code) == 0) {
            *control = k.control;
            return true;
        }
    return false;
}
