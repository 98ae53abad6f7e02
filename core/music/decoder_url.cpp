// Opening a player's URL: the program's embedded tunes by name or number, or files.
#include "core/music/decoder.h"

#include "core/music/player_url.h"
#include "core/platform.h"

static bool open_resource(Decoder* dec, const PlayerUrl& url) {
    const EmbeddedData found =
        find_embedded(EmbeddedKind::Tune, url.kind == URL_RESOURCE_ID ? nullptr : url.name, url.id);
    if (!found.bytes || found.size == 0 || found.size > UINT32_MAX)
        return false;
    return decoder_open_bytes(dec, found.bytes, static_cast<uint32_t>(found.size));
}

bool decoder_open(Decoder* dec, const char* url) {
    PlayerUrl parsed;
    if (!parse_player_url(url, &parsed))
        return false;
    if (parsed.kind == URL_FILE)
        return decoder_open_file(dec, parsed.name);
    return open_resource(dec, parsed);
}
