// Default message-box shower for the program's fixed failure texts.
#include "core/platform.h"

#include <windows.h>

static void show_message_box(const char* text, const char* caption, unsigned icon) {
    MessageBoxA(nullptr, text, caption, MB_OK | icon);
}

AlertFn g_pfnAlert = show_message_box;
