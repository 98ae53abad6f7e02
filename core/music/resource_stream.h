// An in-memory byte stream over a resource's data, read by the Ogg Vorbis decoder through four
// callbacks. Plain values only: no window system, so the callbacks are tested on their own.
#pragma once

#include <cstddef>
#include <cstdint>

// One open resource. Created on the heap by the decoder binding; once the decoder has been
// opened over it, the decoder owns it and resource_close releases it. The data belongs to the
// program's module and is never freed.
struct ResourceStream {
    uint32_t position;         // byte offset of the next read; may lie past the end after a seek
    uint32_t length;           // size of the data in bytes
    const unsigned char* data; // the locked resource data
};

// Copies up to size * count bytes from the current position and advances it; a read that
// would pass the end stops at the end. Returns the number of BYTES copied (not items): 0 for a
// null stream, at the end, or when a seek left the position past the end.
size_t resource_read(void* dst, size_t size, size_t count, void* stream);
// Moves the position: origin 0 from the start, 1 from the current position, 2 from the end.
// Only the low 32 bits of the offset count and the result is not bounds-checked (a position
// past the end reads 0 bytes). Returns 0, or -1 for a null stream or an unknown origin.
int resource_seek(void* stream, int64_t offset, int origin);
// Releases the record (not the data). Returns 0, or -1 for a null stream.
int resource_close(void* stream);
// Returns the position, or -1 for a null stream.
long resource_tell(void* stream);
