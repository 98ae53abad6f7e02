// Message boxes owned by a window that ask or tell the user something (the import question,
// the parameter dump). Tests swap the shower for a recorder that answers at once.
#pragma once

#include <windows.h>

using MessageBoxFn = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// MessageBoxA unless a test replaced it.
extern MessageBoxFn g_pfnMessageBox;
