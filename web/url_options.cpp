// Reading the page's URL options into the module options the Linux program's command line
// gives.
#include "web/url_options.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%XX" becomes its byte and "+" a space; a "%" not followed by two hex digits stays as it is.
std::string url_decode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hex_digit(text[i + 1]) >= 0 &&
                   hex_digit(text[i + 2]) >= 0) {
            out += static_cast<char>(hex_digit(text[i + 1]) * 16 + hex_digit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A switch's value: on for "1", "true" or nothing, off for "0" or "false".
bool read_switch(const std::string& value, bool* on) {
    if (value.empty() || value == "1" || value == "true")
        *on = true;
    else if (value == "0" || value == "false")
        *on = false;
    else
        return false;
    return true;
}

} // namespace

bool parse_url_options(const char* query, ModuleOptions* options,
                       char (&error)[OPTION_ERROR_SIZE]) {
    std::string rest = query ? query : "";
    if (!rest.empty() && rest[0] == '?')
        rest.erase(0, 1);
    ModuleOptionReader reader;
    while (!rest.empty()) {
        const size_t amp = rest.find('&');
        const std::string item = rest.substr(0, amp);
        rest = amp == std::string::npos ? "" : rest.substr(amp + 1);
        if (item.empty())
            continue;
        const size_t eq = item.find('=');
        const std::string key = url_decode(item.substr(0, eq));
        const std::string value = eq == std::string::npos ? "" : url_decode(item.substr(eq + 1));
        // The switches take 0 or 1 here, where the command line has -sound and -no-sound.
        std::string name = "-" + key;
        bool on = true;
        const bool isSwitch = key == "sound" || key == "fps" || key == "stepped" ||
                              key == "every-refresh" || key.compare(0, 3, "no-") == 0;
        if (isSwitch && !read_switch(value, &on)) {
            std::snprintf(error, sizeof error, "bad value for %s: %s", key.c_str(), value.c_str());
            return false;
        }
        if (!isSwitch && !module_option_takes_value(name.c_str())) {
            std::snprintf(error, sizeof error, "unknown option %s", key.c_str());
            return false;
        }
        // fps=0, stepped=0 and the like count as not given, once the name is known to be an option.
        ModuleOptionReader unused;
        ModuleOptionReader& target = isSwitch && !on && key != "sound" ? unused : reader;
        if (key == "sound" && !on)
            name = "-no-sound";
        const OptionRead read = read_module_option(target, name.c_str(), value.c_str());
        if (read == OptionRead::Unknown) {
            std::snprintf(error, sizeof error, "unknown option %s", key.c_str());
            return false;
        }
        if (read == OptionRead::Refused) {
            std::snprintf(error, sizeof error, "bad value for %s: %s", key.c_str(), value.c_str());
            return false;
        }
    }
    *options = finish_module_options(reader);
    return true;
}
