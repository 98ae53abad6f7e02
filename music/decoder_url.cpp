// Opening a player's URL: the program's own RCDATA resources by name or number, or files.
#include "music/decoder.h"

#include <windows.h>

#include "music/player_url.h"

static bool open_resource(Decoder* dec, const PlayerUrl& url) {
    HMODULE module = GetModuleHandleA(nullptr);
    const char* name = url.kind == URL_RESOURCE_ID ? MAKEINTRESOURCEA(url.id) : url.name;
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (!found)
        return false;
    const DWORD size = SizeofResource(module, found);
    if (size == 0)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded)
        return false;
    const void* data = LockResource(loaded);
    if (!data)
        return false;
    return decoder_open_bytes(dec, data, size);
}

bool decoder_open(Decoder* dec, const char* url) {
    PlayerUrl parsed;
    if (!parse_player_url(url, &parsed))
        return false;
    if (parsed.kind == URL_FILE)
        return decoder_open_file(dec, parsed.name);
    return open_resource(dec, parsed);
}
