// libFuzzer target: any bytes as the Linux program's command line, cut at zero bytes: the first
// piece is $XSCREENSAVER_WINDOW (unset when empty), the others are the arguments. An accepted
// command line must hold only values within the options' ranges; a refused one must say why.
#include "unix/options.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < size; ++i)
        if (data[i] == 0)
            pieces.emplace_back();
        else
            pieces.back() += char(data[i]);
    std::vector<const char*> argv = {"velta2"};
    for (size_t i = 1; i < pieces.size(); ++i)
        argv.push_back(pieces[i].c_str());
    const char* window = pieces[0].empty() ? nullptr : pieces[0].c_str();
    Options options;
    char error[OPTION_ERROR_SIZE];
    std::memset(error, 'x', sizeof error);
    if (!parse_options(int(argv.size()), argv.data(), window, &options, error)) {
        if (!std::memchr(error, 0, sizeof error) || error[0] == '\0')
            std::abort();
        return 0;
    }
    if (options.cycleSeconds < CYCLE_SECONDS_MIN || options.cycleSeconds > CYCLE_SECONDS_MAX ||
        (options.window == WindowKind::Given && options.windowId == 0) || options.modules[0])
        std::abort();
    return 0;
}
