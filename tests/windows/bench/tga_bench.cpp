// Prints how long decoding the embedded glyph image takes (median of repeated decodes).
#include "core/scenes/tga_decode.h"
#include "resources/resource_ids.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

int main() {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_GLYPH_IMAGE), "tga");
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    const DWORD size = SizeofResource(nullptr, found);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int i = 0; i < 31; ++i) {
        TextureImage slot = {};
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const bool ok = ParseTGAHeader(slot, data, size);
        QueryPerformanceCounter(&end);
        free_tga_pixels(slot);
        if (!ok)
            return 1;
        ms.push_back(1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    }
    std::sort(ms.begin(), ms.end());
    std::printf("texture decode: %lu bytes -> 1024x1024x4, median %.2f ms, min %.2f ms\n",
                (unsigned long)size, ms[ms.size() / 2], ms[0]);
    return 0;
}
