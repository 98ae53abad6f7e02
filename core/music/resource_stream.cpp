// The four callbacks through which the Ogg Vorbis decoder reads a resource held in memory.
#include "core/music/resource_stream.h"

#include <cstring>

size_t resource_read(void* dst, size_t size, size_t count, void* stream) {
    ResourceStream* s = static_cast<ResourceStream*>(stream);
    if (!s || s->position > s->length)
        return 0;
    // Cut against the bytes left rather than testing position + n against the length, which
    // could wrap around for a huge request and read past the data.
    const size_t left = s->length - s->position;
    size_t n = size * count;
    if (n > left || (size != 0 && n / size != count))
        n = left;
    std::memcpy(dst, s->data + s->position, n);
    s->position += static_cast<uint32_t>(n);
    return n;
}

int resource_seek(void* stream, int64_t offset, int origin) {
    ResourceStream* s = static_cast<ResourceStream*>(stream);
    if (!s)
        return -1;
    const uint32_t low = static_cast<uint32_t>(offset);
    switch (origin) {
    case 0: // SEEK_SET
        s->position = low;
        return 0;
    case 1: // SEEK_CUR
        s->position += low;
        return 0;
    case 2: // SEEK_END
        s->position = s->length + low;
        return 0;
    }
    return -1;
}

int resource_close(void* stream) {
    ResourceStream* s = static_cast<ResourceStream*>(stream);
    if (!s)
        return -1;
    delete s;
    return 0;
}

long resource_tell(void* stream) {
    const ResourceStream* s = static_cast<const ResourceStream*>(stream);
    if (!s)
        return -1;
    return static_cast<long>(s->position);
}
