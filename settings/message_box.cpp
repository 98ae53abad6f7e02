// The shower of owned message boxes.
#include "settings/message_box.h"

MessageBoxFn g_pfnMessageBox = MessageBoxA;
