// The Linux settings file: a round trip through the disk, hand-written, corrupt and unreadable
// files, a folder that cannot be made, saves killed half-way, and copies that save into one file
// at the same time.
#include "core/platform.h"
#include "core/settings/stored_settings.h"
#include "unix/settings_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/velta-settings-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { fs::remove_all(dir); }

    // Loads path; returns what went to standard error.
    static std::string load(const std::string& path) {
        ::testing::internal::CaptureStderr();
        load_settings_file(path);
        return ::testing::internal::GetCapturedStderr();
    }
    static void put(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string text_of(const std::string& path) {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }

    // The names in folder, sorted, each followed by a space.
    static std::string files_in(const std::string& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename());
        std::string list;
        for (const auto& name : names)
            list += name + " ";
        return list;
    }

    std::string dir;
};

TEST_F(SettingsFile, RoundTripMakesTheFoldersAndReplacesTheOldFile) {
    const std::string path = dir + "/config/velta2/settings.ini";
    EXPECT_EQ(load(path), ""); // no file yet: defaults, quietly
    write_stored_value("mod1 depth", 4840);
    write_stored_value("mod1 xrot", -9000);
    write_stored_value("cycle time", INT32_MAX);
    write_stored_value("enable sound", INT32_MIN);
    ASSERT_TRUE(save_settings_file(path));
    EXPECT_NE(text_of(path).find("[Velta II]\nmod1 depth=4840\nmod1 xrot=-9000\n"),
              std::string::npos);

    load(dir + "/nowhere.ini");
    EXPECT_EQ(read_stored_value("mod1 depth", -1), -1);
    EXPECT_EQ(load(path), "");
    EXPECT_EQ(read_stored_value("mod1 depth", -1), 4840);
    EXPECT_EQ(read_stored_value("mod1 xrot", -1), -9000);
    EXPECT_EQ(read_stored_value("cycle time", -1), INT32_MAX);
    EXPECT_EQ(read_stored_value("enable sound", -1), INT32_MIN);

    write_stored_value("mod1 depth", 5000);
    ASSERT_TRUE(save_settings_file(path));
    load(path);
    EXPECT_EQ(read_stored_value("mod1 depth", -1), 5000);
    EXPECT_EQ(files_in(dir + "/config/velta2"), "settings.ini ");
}

TEST_F(SettingsFile, CorruptFileMeansDefaultsAndOneWarningAndIsKeptAsideWhenSaved) {
    const std::string path = dir + "/settings.ini";
    // Comments, blank lines, Windows line ends and spaces as people type them are no corruption.
    put(path, "# mine\r\n\r\n[Velta II]\r\n; note\r\nmod1 depth=4000\r\nmod2 depth=-1\r\n"
              "  mod3 depth = 4200 \t\r\n\tmod3 xrot\t=\t-7\n  # indented\n");
    EXPECT_EQ(load(path), "");
    EXPECT_EQ(read_stored_value("mod1 depth", -1), 4000);
    EXPECT_EQ(read_stored_value("mod3 depth", -1), 4200);
    EXPECT_EQ(read_stored_value("mod3 xrot", -1), -7);
    EXPECT_NE(settings_text().find("\nmod3 depth=4200\nmod3 xrot=-7\n"), std::string::npos);

    for (const std::string& line : std::initializer_list<std::string>{
             "mod1 horz=12x", " = 5", "mod1 horz", "mod1 horz= ", "mod1 horz=1 2",
             "mod1 horz=99999999999", "mod1 horz=-", "\x01\xff\xfe", std::string("\0\rD=\0\x8a", 6),
             std::string("mod1 horz=5\0", 12)}) {
        put(path, "mod1 depth=4000\n" + line + "\nmod1 vert=3\n");
        const std::string warning = load(path);
        EXPECT_EQ(read_stored_value("mod1 depth", -1), -1) << line;
        EXPECT_EQ(read_stored_value("mod1 vert", -1), -1) << line;
        EXPECT_NE(warning.find(path + " line 2"), std::string::npos) << warning;
        EXPECT_EQ(warning.find('\n'), warning.size() - 1) << warning;
    }

    // A save after loading the corrupt file keeps that file's text.
    const std::string corrupt = text_of(path);
    write_stored_value("mod1 depth", 4500);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(save_settings_file(path));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(path + ".bad"), std::string::npos);
    EXPECT_EQ(text_of(path + ".bad"), corrupt);
    EXPECT_EQ(load(path), "");
    EXPECT_EQ(read_stored_value("mod1 depth", -1), 4500);
}

TEST_F(SettingsFile, FolderThatCannotBeMadeOrFileThatCannotBeReadFailWithAWarning) {
    // A regular file where the folder would be: nothing can be made beneath it, even as root.
    put(dir + "/plain", "x");
    const std::string under = dir + "/plain/velta2/settings.ini";
    EXPECT_NE(load(under).find("cannot read"), std::string::npos);
    write_stored_value("mod1 depth", 4500);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(save_settings_file(under));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot write " + under),
              std::string::npos);
    EXPECT_EQ(text_of(dir + "/plain"), "x");

    // A folder where the file would be: unreadable.
    const std::string folder = dir + "/velta2/settings.ini";
    fs::create_directories(folder);
    const std::string warning = load(folder);
    EXPECT_NE(warning.find("cannot read " + folder), std::string::npos) << warning;
    EXPECT_EQ(read_stored_value("mod1 depth", -1), -1);
}

TEST_F(SettingsFile, KilledWhileSavingLeavesTheOldOrTheNewFileWhole) {
    const std::string path = dir + "/settings.ini";
    const auto set_all = [](int32_t n) {
        for (int k = 0; k < 40; ++k)
            write_stored_value(("value " + std::to_string(k)).c_str(), n);
    };
    set_all(0);
    ASSERT_TRUE(save_settings_file(path));
    std::mt19937 random(19);
    // Kills go on until 60 of them have cut a save short (they left its temporary file behind);
    // how many land there depends on the machine, so the count of kills is only a hang limit.
    int inSave = 0;
    for (int run = 0; inSave < 60 && run < 3000; ++run) {
        const pid_t saver = fork();
        ASSERT_GE(saver, 0);
        if (saver == 0)
            for (int32_t n = 1;; ++n) {
                set_all(n);
                save_settings_file(path);
            }
        usleep(random() % 4000);
        kill(saver, SIGKILL);
        waitpid(saver, nullptr, 0);
        inSave += files_in(dir) != "settings.ini ";
        ASSERT_EQ(load(path), "") << run;
        const int32_t saved = read_stored_value("value 0", -1);
        ASSERT_GE(saved, 0) << run;
        for (int k = 1; k < 40; ++k)
            ASSERT_EQ(read_stored_value(("value " + std::to_string(k)).c_str(), -1), saved) << run;
    }
    EXPECT_EQ(inSave, 60);
    set_all(-1); // the next save clears what the cut-short ones left
    ASSERT_TRUE(save_settings_file(path));
    EXPECT_EQ(files_in(dir), "settings.ini ");
}

TEST_F(SettingsFile, CopiesSaveOnlyWhatTheyChangedIntoTheFileAsItIsThen) {
    const std::string path = dir + "/settings.ini";
    put(path, "mod1 depth=5000\nmod2 depth=6000\n");
    load(path);
    write_stored_value("mod3 depth", 7000); // filled in before the run begins
    mark_store_as_loaded();
    write_stored_value("mod2 depth", 6100); // steered
    // Another copy saved module 1 and a name of its own after this one loaded.
    put(path, "mod1 depth=5500\nmod2 depth=6000\nmod9 speed=300\n");
    ASSERT_TRUE(save_settings_file(path));
    EXPECT_EQ(load(path), "");
    for (const auto& [name, value] : std::initializer_list<std::pair<const char*, int32_t>>{
             {"mod1 depth", 5500}, {"mod2 depth", 6100}, {"mod9 speed", 300}, {"mod3 depth", 7000}})
        EXPECT_EQ(read_stored_value(name, -1), value) << name;

    // Nothing changed since: nothing written over what another copy saved.
    put(path, "mod1 depth=4000\n");
    ASSERT_TRUE(save_settings_file(path));
    EXPECT_EQ(text_of(path), "mod1 depth=4000\n");

    // Three copies that loaded the same file and save together, a hundred times: each keeps its
    // own module's view, the file stays whole and no temporary file is left.
    for (int round = 1; round <= 100; ++round) {
        int loaded[2], go[2];
        ASSERT_EQ(pipe(loaded), 0);
        ASSERT_EQ(pipe(go), 0);
        pid_t copies[3];
        for (int copy = 0; copy < 3; ++copy) {
            copies[copy] = fork();
            ASSERT_GE(copies[copy], 0);
            if (copies[copy] == 0) {
                close(go[1]);
                load_settings_file(path);
                char byte = 0;
                (void)!write(loaded[1], &byte, 1);
                (void)!read(go[0], &byte, 1); // the end of the pipe: all have loaded
                write_stored_value(("mod" + std::to_string(copy + 1) + " depth").c_str(), round);
                _exit(save_settings_file(path) ? 0 : 1);
            }
        }
        char byte;
        for (int copy = 0; copy < 3; ++copy)
            ASSERT_EQ(read(loaded[0], &byte, 1), 1);
        for (int fd : {loaded[0], loaded[1], go[0], go[1]})
            close(fd);
        for (pid_t copy : copies) {
            int status = -1;
            waitpid(copy, &status, 0);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << round;
        }
        ASSERT_EQ(load(path), "") << round;
        for (const char* name : {"mod1 depth", "mod2 depth", "mod3 depth"})
            ASSERT_EQ(read_stored_value(name, -1), round) << name << " in round " << round;
        ASSERT_EQ(files_in(dir), "settings.ini ") << round;
    }
}
