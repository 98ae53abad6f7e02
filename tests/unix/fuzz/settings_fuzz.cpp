// libFuzzer target: any bytes as the Linux settings file. What the reader takes is written back
// as the file's text and read again: that text must be taken whole and come out the same, or a
// save would change what the next run reads.
#include "unix/settings_file.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    if (!load_settings_text(in, "input"))
        return 0;
    const std::string text = settings_text();
    std::istringstream again(text);
    if (!load_settings_text(again, "written") || settings_text() != text)
        std::abort();
    return 0;
}
