// libFuzzer target: any bytes as the page's URL query. An accepted query must hold only values
// within the options' ranges; a refused one must say why and leave the options as they were.
#include "web/url_options.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string query(reinterpret_cast<const char*>(data), size);
    ModuleOptions options;
    options.cycleSeconds = -1; // a refusal must leave this as it is
    char error[OPTION_ERROR_SIZE];
    std::memset(error, 'x', sizeof error);
    if (!parse_url_options(query.c_str(), &options, error)) {
        if (!std::memchr(error, 0, sizeof error) || error[0] == '\0' || options.cycleSeconds != -1)
            std::abort();
        return 0;
    }
    if (options.cycleSeconds < CYCLE_SECONDS_MIN || options.cycleSeconds > CYCLE_SECONDS_MAX ||
        options.modules[0])
        std::abort();
    return 0;
}
