// What a player's URL names: a resource of the program by name or number, or a file.
#pragma once

#include <cstdint>

enum UrlKind {
    URL_RESOURCE_NAME, // "res://NAME"
    URL_RESOURCE_ID,   // "res://#N"
    URL_FILE,          // anything else: a file path
};

struct PlayerUrl {
    UrlKind kind;
    const char* name; // the resource name (points into the URL) or the file path (the URL)
    uint16_t id;      // the resource number, for URL_RESOURCE_ID
};

// Splits a URL. The prefix "res://" is matched case-sensitively; "res://#N" reads N with the
// "%i" conversion (decimal, 0x hexadecimal or 0 octal, optional sign) and keeps its low 16
// bits. Returns false only when the number sign is not followed by a number.
bool parse_player_url(const char* url, PlayerUrl* out);
