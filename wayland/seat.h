// velta2-wayland's seat: the keyboard (keys turned into key symbols with the compositor's
// keymap) and the pointer (hidden over the saver, its buttons and its movement). Main thread.
#pragma once

#include <cstdint>

struct wl_registry;
struct wl_surface;

struct InputEvent {
    enum Type {
        Key,    // a key went down: keysym, in X11's numbering
        Button, // a pointer button went down
        Moved,  // the pointer moved further than MOVE_THRESHOLD from where it was first seen
    } type;
    uint32_t keysym;
};

// Pixels of pointer movement, across and down added, that end the saver: the reference position
// is taken where the pointer is first seen, so a pointer that never moves never ends it.
constexpr int MOVE_THRESHOLD = 100;

// Binds the seat announced by the registry; hidePointer hides the pointer over our surfaces.
void bind_seat(wl_registry* registry, uint32_t name, uint32_t version, bool hidePointer);
void release_seat();
// The next input event, oldest first; false when none is waiting.
bool next_input_event(InputEvent* event);
