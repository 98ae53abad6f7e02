// The embedded data of the Windows program: resources of its own module.
#include "core/platform.h"

#include <windows.h>

EmbeddedData find_embedded(EmbeddedKind kind, const char* name, int id) {
    HMODULE module = GetModuleHandleA(nullptr);
    const char* type = kind == EmbeddedKind::Image ? "tga" : MAKEINTRESOURCEA(10); // RT_RCDATA
    HRSRC found = FindResourceA(module, name ? name : MAKEINTRESOURCEA(id), type);
    if (!found)
        return {nullptr, 0};
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return {bytes, bytes ? SizeofResource(module, found) : 0};
}
