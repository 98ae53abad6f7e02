// Splitting a player's URL into resource name, resource number or file path.
#include "core/music/player_url.h"

#include <cstdio>
#include <cstring>

static const char RESOURCE_PREFIX[] = "res://";
static const size_t RESOURCE_PREFIX_LENGTH = sizeof RESOURCE_PREFIX - 1;

bool parse_player_url(const char* url, PlayerUrl* out) {
    if (std::strncmp(url, RESOURCE_PREFIX, RESOURCE_PREFIX_LENGTH) != 0) {
        *out = {URL_FILE, url, 0};
        return true;
    }
    const char* name = url + RESOURCE_PREFIX_LENGTH;
    if (name[0] != '#') {
        *out = {URL_RESOURCE_NAME, name, 0};
        return true;
    }
    int number = 0;
    if (std::sscanf(name + 1, "%i", &number) != 1)
        return false;
    *out = {URL_RESOURCE_ID, name, static_cast<uint16_t>(number & 0xFFFF)};
    return true;
}
