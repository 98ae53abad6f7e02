// The data built into the program: the glyph image and the tune. Each platform supplies the
// lookup: the Windows program finds its resources, the Linux program the data linked into it.
#pragma once

#include <cstddef>

enum class EmbeddedKind {
    Image, // "TGA" resources
    Tune,  // RCDATA resources
};

// bytes is null when nothing was found. Found data belongs to the program and is never freed.
struct EmbeddedData {
    const void* bytes;
    size_t size;
};

// The item of that kind called name, or numbered id when name is null.
EmbeddedData find_embedded(EmbeddedKind kind, const char* name, int id);
