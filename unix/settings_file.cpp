// Reading and writing the settings file, the Linux store of the settings.
#include "unix/settings_file.h"

#include "core/platform.h"
#include "core/settings/stored_settings.h"
#include "unix/messages.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Values in the order they were first stored, which is the order the file is written in, with
// where each name is, so that a file of many lines loads in time proportional to its length.
struct ValueTable {
    std::vector<std::pair<std::string, int32_t>> values;
    std::unordered_map<std::string, size_t> index;
};

ValueTable g_Store;  // what read_stored_value and write_stored_value see
ValueTable g_Loaded; // the store as this run began, or as it last saved
// The last load found a file it could not use. The next save moves that file aside instead of
// writing over it, so that the views it held can still be recovered by hand.
bool g_bSetAside;

const char HEADER[] =
    "# Velta II settings: each module's view (distance, shift and turns in hundredths of units\n"
    "# and degrees, speed in hundredths), its switch, the seconds per module and the sound\n"
    "# switch, under the names the Windows program uses in its registry key.\n"
    "[Velta II]\n";

// A save writes its temporary file as PATH.saving-XXXXXX, a name no person gives a file.
const char TEMPORARY_MARK[] = ".saving-";
// How long a save waits for another copy's save to finish before it goes on without the lock:
// a copy holds it only to read, merge and write one small file.
const int LOCK_TRIES = 500;
const long LOCK_TRY_NS = 10 * 1000 * 1000;

const int32_t* find_value(const ValueTable& table, const std::string& name) {
    const auto found = table.index.find(name);
    return found == table.index.end() ? nullptr : &table.values[found->second].second;
}

void set_value(ValueTable& table, const std::string& name, int32_t value) {
    const auto found = table.index.find(name);
    if (found != table.index.end()) {
        table.values[found->second].second = value;
        return;
    }
    table.index.emplace(name, table.values.size());
    table.values.emplace_back(name, value);
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

// Reads a settings file's text into table; false with the reason in why (the file's name, what
// is wrong and where) when it cannot be used, and table then empty.
bool parse_settings(std::istream& in, const std::string& name, ValueTable* table,
                    std::string* why) {
    *table = {};
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
            *why = name + " line " + std::to_string(number) + " is not a setting";
            *table = {};
            return false;
        }
        set_value(*table, setting, value);
    }
    if (in.bad()) {
        *why = "cannot read " + name;
        *table = {};
        return false;
    }
    return true;
}

std::string text_of(const ValueTable& table) {
    std::ostringstream text;
    text << HEADER;
    for (const auto& value : table.values)
        text << value.first << '=' << value.second << '\n';
    return text.str();
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

std::string folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 ? "/" : slash == std::string::npos ? "." : path.substr(0, slash);
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

// Takes the lock every copy holds while it saves into folder: an open descriptor of the folder,
// or -1 with errno set when the folder cannot be opened. When another copy holds the lock for
// longer than any save takes, or the file system has no such locks, the save goes on without it:
// its own temporary file still keeps it from harming another's.
int lock_folder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    for (int tries = 0; flock(fd, LOCK_EX | LOCK_NB) != 0; ++tries) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (tries == LOCK_TRIES) {
            say("another copy is saving into %s for too long; saving without waiting for it",
                folder.c_str());
            break;
        }
        const timespec pause = {0, LOCK_TRY_NS};
        nanosleep(&pause, nullptr);
    }
    return fd;
}

// Removes the temporary files of saves that were cut short (a copy killed while it saved). Only
// under the lock, when no other copy is writing one.
void remove_cut_short_saves(const std::string& path) {
    const std::string folder = folder_of(path);
    const std::string prefix = path.substr(path.rfind('/') + 1) + TEMPORARY_MARK;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            unlinkat(dirfd(dir), name.c_str(), 0);
    }
    closedir(dir);
}

// Writes text to a temporary file of this copy's own beside path, flushed to disk, and renames
// it over path; false with errno set, and nothing left behind, when that fails.
bool replace_file(const std::string& path, const std::string& text) {
    std::string temporary = path + TEMPORARY_MARK + "XXXXXX";
    const int fd = mkostemp(&temporary[0], O_CLOEXEC);
    if (fd < 0)
        return false;
    bool written = write_all(fd, text) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && written) {
        written = false; // some file systems tell of a full disk only here
        error = errno;
    }
    if (written && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    if (written)
        error = errno;
    unlink(temporary.c_str());
    errno = error;
    return false;
}

// Moves a file that cannot be used to PATH.bad, replacing an older one; true when nothing is in
// the way of writing the new file.
bool set_aside_unusable(const std::string& path) {
    const std::string aside = path + ".bad";
    if (std::rename(path.c_str(), aside.c_str()) != 0 && errno != ENOENT)
        return false;
    say("the unusable settings file is kept as %s", aside.c_str());
    return true;
}

// The names whose values differ from the load's, or that the load did not have.
bool changed_since_load(const std::string& name, int32_t value) {
    const int32_t* loaded = find_value(g_Loaded, name);
    return !loaded || *loaded != value;
}

// Under the folder's lock: the file as it is now, with this copy's changes merged in, written
// back when there is anything to write.
bool merge_into_file(const std::string& path, bool anyChange) {
    ValueTable merged;
    std::string why;
    std::ifstream file(path);
    const bool missing = !file && errno == ENOENT;
    const bool usable = missing || (file && parse_settings(file, path, &merged, &why));
    file.close();
    if (!usable && !set_aside_unusable(path))
        return false;
    if (!anyChange && usable)
        return true; // the file on disk serves: nothing to say
    for (const auto& value : g_Store.values)
        if (changed_since_load(value.first, value.second) || !find_value(merged, value.first))
            set_value(merged, value.first, value.second);
    remove_cut_short_saves(path);
    return replace_file(path, text_of(merged));
}

} // namespace

int32_t read_stored_value(const char* name, int32_t fallback) {
    const int32_t* value = find_value(g_Store, name);
    return value ? *value : fallback;
}

bool write_stored_value(const char* name, int32_t value) {
    set_value(g_Store, name, value);
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
    std::string why;
    if (parse_settings(in, name, &g_Store, &why))
        return true;
    say("%s; using the default settings", why.c_str());
    return false;
}

void load_settings_file(const std::string& path) {
    g_Store = {};
    g_bSetAside = false;
    std::ifstream file(path);
    if (!file) {
        g_bSetAside = errno != ENOENT;
        if (g_bSetAside)
            say("cannot read %s (%s); using the default settings", path.c_str(),
                std::strerror(errno));
    } else {
        g_bSetAside = !load_settings_text(file, path);
    }
    mark_store_as_loaded();
}

void mark_store_as_loaded() {
    g_Loaded = g_Store;
}

std::string settings_text() {
    return text_of(g_Store);
}

bool save_settings_file(const std::string& path) {
    bool anyChange = false;
    for (const auto& value : g_Store.values)
        anyChange = anyChange || changed_since_load(value.first, value.second);
    if (!anyChange && !g_bSetAside)
        return true;
    int lock = -1;
    const bool saved = make_folder_of(path) && (lock = lock_folder(folder_of(path))) >= 0 &&
                       merge_into_file(path, anyChange);
    const int error = errno;
    if (lock >= 0)
        close(lock); // lets the lock go
    if (!saved) {
        say("cannot write %s (%s); the settings were not saved", path.c_str(),
            std::strerror(error));
        return false;
    }
    g_bSetAside = false;
    mark_store_as_loaded();
    return true;
}
