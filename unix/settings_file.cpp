// Reading and writing the settings file, the Linux store of the settings.
#include "unix/settings_file.h"

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
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// The values in the order they were first stored, which is the order the file is written in.
std::vector<std::pair<std::string, int32_t>> g_Values;
// Where each name is in g_Values, so that a file of many lines loads in time proportional to
// its length.
std::unordered_map<std::string, size_t> g_Index;
// The last load found a file it could not use. The next save moves that file aside instead of
// writing over it, so that the views it held can still be recovered by hand.
bool g_bSetAside;

const char HEADER[] =
    "# Velta II settings: each module's view (distance, shift and turns in hundredths of units\n"
    "# and degrees, speed in hundredths), its switch, the seconds per module and the sound\n"
    "# switch, under the names the Windows program uses in its registry key.\n"
    "[Velta II]\n";

std::pair<std::string, int32_t>* find_value(const char* name) {
    const auto found = g_Index.find(name);
    return found == g_Index.end() ? nullptr : &g_Values[found->second];
}

void clear_values() {
    g_Values.clear();
    g_Index.clear();
}

// The text without the spaces and tabs at either end.
std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "name=value" with a 32-bit integer value, with or without spaces around the "=" as people
// write by hand; false for anything else.
bool parse_line(const std::string& line, std::string* name, int32_t* value) {
    // A zero byte would cut the name or the number short where they are used as C strings.
    const size_t equals = line.find('=');
    if (equals == std::string::npos || line.find('\0') != std::string::npos)
        return false;
    *name = trimmed(line.substr(0, equals));
    const std::string number = trimmed(line.substr(equals + 1));
    char* end = nullptr;
    errno = 0;
    const long long n = std::strtoll(number.c_str(), &end, 10);
    if (name->empty() || number.empty() || *end != '\0' || errno != 0 || n < INT32_MIN ||
        n > INT32_MAX)
        return false;
    *value = static_cast<int32_t>(n);
    return true;
}

// Writes all of text to fd, in as many writes as it takes; false with errno set when one fails.
bool write_all(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            if (wrote == 0)
                errno = ENOSPC;
            return false;
        }
        done += size_t(wrote);
    }
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
    else {
        g_Index.emplace(name, g_Values.size());
        g_Values.emplace_back(name, value);
    }
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

bool load_settings_text(std::istream& in, const std::string& name) {
    clear_values();
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        line = trimmed(line);
        if (line.empty() || line[0] == '#' || line[0] == ';' || line == "[Velta II]")
            continue;
        std::string setting;
        int32_t value;
        if (!parse_line(line, &setting, &value)) {
            std::fprintf(stderr,
                         "velta2: %s line %d is not a setting; using the default settings\n",
                         name.c_str(), number);
            clear_values();
            return false;
        }
        write_stored_value(setting.c_str(), value);
    }
    if (in.bad()) {
        std::fprintf(stderr, "velta2: cannot read %s; using the default settings\n", name.c_str());
        clear_values();
        return false;
    }
    return true;
}

void load_settings_file(const std::string& path) {
    clear_values();
    g_bSetAside = false;
    std::ifstream file(path);
    if (!file) {
        g_bSetAside = errno != ENOENT;
        if (g_bSetAside)
            std::fprintf(stderr, "velta2: cannot read %s (%s); using the default settings\n",
                         path.c_str(), std::strerror(errno));
        return;
    }
    g_bSetAside = !load_settings_text(file, path);
}

std::string settings_text() {
    std::ostringstream text;
    text << HEADER;
    for (const auto& value : g_Values)
        text << value.first << '=' << value.second << '\n';
    return text.str();
}

bool save_settings_file(const std::string& path) {
    const std::string content = settings_text();
    const std::string temporary = path + ".tmp";
    int fd = -1;
    bool written = make_folder_of(path) &&
                   (fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)) >= 0 &&
                   write_all(fd, content) && fsync(fd) == 0;
    int error = errno;
    if (fd >= 0 && close(fd) != 0 && written) {
        written = false; // some file systems tell of a full disk only here
        error = errno;
    }
    if (written && set_aside_unusable(path) && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    std::fprintf(stderr, "velta2: cannot write %s (%s); the settings were not saved\n",
                 path.c_str(), std::strerror(written ? errno : error));
    if (fd >= 0)
        unlink(temporary.c_str());
    return false;
}
