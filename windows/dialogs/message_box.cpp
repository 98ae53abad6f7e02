// The shower of owned message boxes.
#include "windows/dialogs/message_box.h"

MessageBoxFn g_pfnMessageBox = MessageBoxA;
