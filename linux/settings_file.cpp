// Reading and writing the settings file, the Linux store of the settings.
#include "linux/settings_file.h"

#include "core/platform.h"
#include "core/settings/stored_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace {

// The values in the order they were first stored, which is the order the file is written in.
std::vector<std::pair<std::string, int32_t>> g_Values;
// The last load found a file it could not use. The next save moves that file aside instead of
// writing over it, so that the views it held can still be recovered by hand.
bool g_bSetAside;

const char HEADER[] =
    "# Velta II settings: each module's view (distance, shift and turns in hundredths of units\n"
    "# and degrees, speed in hundredths), its switch, the seconds per module and the sound\n"
    "# switch, under the names the Windows program uses in its registry key.\n"
    "[Velta II]\n";

std::pair<std::string, int32_t>* find_value(const char* name) {
    for (auto& value : g_Values)
        if (value.first == name)
            return &value;
    return nullptr;
}

// "name=value" with a 32-bit integer value; false for anything else.
bool parse_line(const std::string& line, std::string* name, int32_t* value) {
    const size_t equals = line.find('=');
    if (equals == 0 || equals == std::string::npos)
        return false;
    const std::string number = line.substr(equals + 1);
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || errno != 0 || n < INT32_MIN || n > INT32_MAX)
        return false;
    *name = line.substr(0, equals);
    *value = static_cast<int32_t>(n);
    return true;
}

bool make_folder_of(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// Moves a file the last load could not use to PATH.bad, replacing an older one; true when
// nothing is in the way of writing the new file.
bool set_aside_unusable(const std::string& path) {
    if (!g_bSetAside)
        return true;
    const std::string aside = path + ".bad";
    if (std::rename(path.c_str(), aside.c_str()) != 0 && errno != ENOENT)
        return false;
    std::fprintf(stderr, "velta2: the unusable settings file is kept as %s\n", aside.c_str());
    g_bSetAside = false;
    return true;
}

} // namespace

int32_t read_stored_value(const char* name, int32_t fallback) {
    const auto* value = find_value(name);
    return value ? value->second : fallback;
}

bool write_stored_value(const char* name, int32_t value) {
    if (auto* stored = find_value(name))
        stored->second = value;
    else
        g_Values.emplace_back(name, value);
    return true;
}

std::string settings_file_path() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::string(config) + "/velta2/settings.ini";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.config/velta2/settings.ini";
    return {};
}

void load_settings_file(const std::string& path) {
    g_Values.clear();
    g_bSetAside = false;
    std::ifstream file(path);
    if (!file) {
        g_bSetAside = errno != ENOENT;
        if (g_bSetAside)
            std::fprintf(stderr, "velta2: cannot read %s (%s); using the default settings\n",
                         path.c_str(), std::strerror(errno));
        return;
    }
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#' || line[0] == ';' || line == "[Velta II]")
            continue;
        std::string name;
        int32_t value;
        if (!parse_line(line, &name, &value)) {
            std::fprintf(stderr,
                         "velta2: %s line %d is not a setting; using the default settings\n",
                         path.c_str(), number);
            g_Values.clear();
            g_bSetAside = true;
            return;
        }
        write_stored_value(name.c_str(), value);
    }
    if (file.bad()) {
        std::fprintf(stderr, "velta2: cannot read %s; using the default settings\n", path.c_str());
        g_Values.clear();
        g_bSetAside = true;
    }
}

bool save_settings_file(const std::string& path) {
    std::ostringstream text;
    text << HEADER;
    for (const auto& value : g_Values)
        text << value.first << '=' << value.second << '\n';
    const std::string content = text.str();
    const std::string temporary = path + ".tmp";
    int fd = -1;
    bool written = make_folder_of(path) &&
                   (fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)) >= 0 &&
                   write(fd, content.data(), content.size()) == ssize_t(content.size()) &&
                   fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0 && close(fd) != 0)
        written = false;
    if (written && set_aside_unusable(path) && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    std::fprintf(stderr, "velta2: cannot write %s (%s); the settings were not saved\n",
                 path.c_str(), std::strerror(written ? errno : error));
    if (fd >= 0)
        unlink(temporary.c_str());
    return false;
}
