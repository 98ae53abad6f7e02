// The keyboard and the pointer of the compositor's seat.
#include "wayland/seat.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <deque>

static wl_seat* g_pSeat;
static wl_keyboard* g_pKeyboard;
static wl_pointer* g_pPointer;
static bool g_bHidePointer;
static xkb_context* g_pXkb;
static xkb_keymap* g_pKeymap;
static xkb_state* g_pKeyState;
static std::deque<InputEvent> g_Events;

// Where the pointer was first seen, on which surface; a pointer that enters another of our
// surfaces has crossed outputs, and that is movement enough.
static wl_surface* g_pReferenceSurface;
static double g_fReferenceX, g_fReferenceY;

static void keymap(void*, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
    void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1
                     ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)
                     : MAP_FAILED;
    close(fd);
    if (text == MAP_FAILED)
        return;
    xkb_keymap* map =
        xkb_keymap_new_from_string(g_pXkb, static_cast<const char*>(text),
                                   XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (!map)
        return;
    xkb_state_unref(g_pKeyState);
    xkb_keymap_unref(g_pKeymap);
    g_pKeymap = map;
    g_pKeyState = xkb_state_new(map);
}

// Keys already down when our surface takes the keyboard were pressed for something else.
static void keyboard_enter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
static void keyboard_leave(void*, wl_keyboard*, uint32_t, wl_surface*) {}

static void key(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t code, uint32_t state) {
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED || !g_pKeyState)
        return;
    // Wayland's key codes are the kernel's; the keymap counts from 8, as X11 does.
    g_Events.push_back({InputEvent::Key, xkb_state_key_get_one_sym(g_pKeyState, code + 8)});
}

static void modifiers(void*, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                      uint32_t locked, uint32_t group) {
    if (g_pKeyState)
        xkb_state_update_mask(g_pKeyState, depressed, latched, locked, 0, 0, group);
}

static void repeat_info(void*, wl_keyboard*, int32_t, int32_t) {}

static const wl_keyboard_listener KEYBOARD = {keymap, keyboard_enter, keyboard_leave,
                                              key,    modifiers,      repeat_info};

static void pointer_enter(void*, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                          wl_fixed_t x, wl_fixed_t y) {
    if (g_bHidePointer)
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    if (g_pReferenceSurface && g_pReferenceSurface != surface) {
        g_Events.push_back({InputEvent::Moved, 0});
        return;
    }
    g_pReferenceSurface = surface;
    g_fReferenceX = wl_fixed_to_double(x);
    g_fReferenceY = wl_fixed_to_double(y);
}

static void pointer_leave(void*, wl_pointer*, uint32_t, wl_surface*) {}

static void motion(void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    if (!g_pReferenceSurface)
        return;
    const double moved = std::abs(wl_fixed_to_double(x) - g_fReferenceX) +
                         std::abs(wl_fixed_to_double(y) - g_fReferenceY);
    if (moved > MOVE_THRESHOLD)
        g_Events.push_back({InputEvent::Moved, 0});
}

static void button(void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    if (state == WL_POINTER_BUTTON_STATE_PRESSED)
        g_Events.push_back({InputEvent::Button, 0});
}

static void axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}

// The seat is bound at version 4: the pointer's later events never come.
static const wl_pointer_listener POINTER = {pointer_enter, pointer_leave, motion,  button,
                                            axis,          nullptr,       nullptr, nullptr,
                                            nullptr,       nullptr};

// Keyboards and pointers come and go with their devices (a virtual keyboard typing, a mouse
// plugged in): each is taken when the seat has one and let go when it has none.
static void capabilities(void*, wl_seat* seat, uint32_t caps) {
    if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) && !g_pKeyboard) {
        g_pKeyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(g_pKeyboard, &KEYBOARD, nullptr);
    } else if (!(caps & WL_SEAT_CAPABILITY_KEYBOARD) && g_pKeyboard) {
        wl_keyboard_release(g_pKeyboard);
        g_pKeyboard = nullptr;
    }
    if ((caps & WL_SEAT_CAPABILITY_POINTER) && !g_pPointer) {
        g_pPointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(g_pPointer, &POINTER, nullptr);
    } else if (!(caps & WL_SEAT_CAPABILITY_POINTER) && g_pPointer) {
        wl_pointer_release(g_pPointer);
        g_pPointer = nullptr;
    }
}

static void seat_name(void*, wl_seat*, const char*) {}

static const wl_seat_listener SEAT = {capabilities, seat_name};

void bind_seat(wl_registry* registry, uint32_t name, uint32_t version, bool hidePointer) {
    if (g_pSeat)
        return; // one seat is all a screen saver listens to
    g_bHidePointer = hidePointer;
    g_pXkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    g_pSeat = static_cast<wl_seat*>(
        wl_registry_bind(registry, name, &wl_seat_interface, version < 4 ? version : 4));
    wl_seat_add_listener(g_pSeat, &SEAT, nullptr);
}

void release_seat() {
    if (g_pKeyboard)
        wl_keyboard_destroy(g_pKeyboard);
    if (g_pPointer)
        wl_pointer_destroy(g_pPointer);
    if (g_pSeat)
        wl_seat_destroy(g_pSeat);
    g_pKeyboard = nullptr;
    g_pPointer = nullptr;
    g_pSeat = nullptr;
    xkb_state_unref(g_pKeyState);
    xkb_keymap_unref(g_pKeymap);
    xkb_context_unref(g_pXkb);
    g_pKeyState = nullptr;
    g_pKeymap = nullptr;
    g_pXkb = nullptr;
}

bool next_input_event(InputEvent* event) {
    if (g_Events.empty())
        return false;
    *event = g_Events.front();
    g_Events.pop_front();
    return true;
}
