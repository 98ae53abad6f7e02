// Settings load, save and import against the real registry, under keys of the tests' own.
#include "core/render/render_state.h"
#include "core/settings/module_params.h"
#include "windows/dialogs/message_box.h"
#include "windows/settings/registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const TEST_ROOT = "Software\\VeltaUnitTests";
const char* const TEST_KEY = "Software\\VeltaUnitTests\\Velta II";
const char* const TEST_IMPORT_KEY = "Software\\VeltaUnitTests\\Velta";

struct Question {
    HWND owner;
    std::string text, caption;
    UINT type;
};
std::vector<Question> g_Questions;
int g_nAnswer = IDNO;

int WINAPI answer_question(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    g_Questions.push_back({owner, text, caption, type});
    return g_nAnswer;
}

class Registry : public testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, TEST_ROOT);
        reg_set_key(nullptr, TEST_KEY);
        g_pszImportKey = TEST_IMPORT_KEY;
        g_pfnMessageBox = answer_question;
        g_Questions.clear();
        g_nAnswer = IDNO;
        g_bSaverMode = true;
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, TEST_ROOT);
        reg_set_key(nullptr, SETTINGS_KEY);
        g_pszImportKey = PREDECESSOR_KEY;
        g_pfnMessageBox = MessageBoxA;
    }

    static void put(const char* path, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    static void put_dword(const char* path, const char* name, int32_t value) {
        put(path, name, REG_DWORD, &value, 4);
    }
    // The stored value, or 12345678 when it is absent.
    static int32_t stored(const char* path, const char* name) {
        int32_t value = 12345678;
        DWORD size = 4;
        RegGetValueA(HKEY_CURRENT_USER, path, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
        return value;
    }
    static DWORD value_count(const char* path) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return 0;
        DWORD count = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(key);
        return count;
    }
    static bool key_exists(const char* path) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    static void expect_defaults(int first, int last) {
        for (int k = first; k <= last; ++k) {
            EXPECT_EQ(g_Mods[k].depth, g_ModDefaults[k].depth) << "module " << k;
            EXPECT_EQ(g_Mods[k].xrot, g_ModDefaults[k].xrot) << "module " << k;
            EXPECT_EQ(g_Mods[k].speed, g_ModDefaults[k].speed) << "module " << k;
            EXPECT_EQ(g_Mods[k].active, 1) << "module " << k;
        }
    }
};

TEST_F(Registry, ReadsWhatWasWrittenAndCreatesTheKeyOnRead) {
    EXPECT_EQ(reg_read_dword("absent", 77), 77);
    EXPECT_TRUE(key_exists(TEST_KEY));
    EXPECT_TRUE(reg_write_dword("x", -15769));
    EXPECT_EQ(reg_read_dword("x", 0), -15769);
    EXPECT_EQ(stored(TEST_KEY, "x"), -15769);
}

TEST_F(Registry, FourBytesOfAnyTypeAreReadRawOthersCountAsMissing) {
    const unsigned char four[4] = {0x01, 0x02, 0x03, 0x84};
    put(TEST_KEY, "binary4", REG_BINARY, four, 4);
    EXPECT_EQ(static_cast<uint32_t>(reg_read_dword("binary4", 0)), 0x84030201u);
    const unsigned char eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    put(TEST_KEY, "binary8", REG_BINARY, eight, 8);
    EXPECT_EQ(reg_read_dword("binary8", -5), -5);
    put(TEST_KEY, "binary2", REG_BINARY, four, 2);
    EXPECT_EQ(reg_read_dword("binary2", -5), -5);
    put(TEST_KEY, "empty", REG_DWORD, four, 0);
    EXPECT_EQ(reg_read_dword("empty", -5), -5);
    put(TEST_KEY, "text", REG_SZ, "a long text", 12);
    EXPECT_EQ(reg_read_dword("text", -5), -5);
}

TEST_F(Registry, FirstRunWritesEveryValueAndSecondRunChangesNothing) {
    load_settings(nullptr);
    EXPECT_EQ(value_count(TEST_KEY), 162u); // no import marker in saver mode
    EXPECT_EQ(stored(TEST_KEY, "mod7 vert"), 1214);
    EXPECT_EQ(stored(TEST_KEY, "mod11 depth"), 2789);
    EXPECT_EQ(stored(TEST_KEY, "mod5 xrot"), -15769);
    EXPECT_EQ(stored(TEST_KEY, "mod20 active"), 1);
    EXPECT_EQ(stored(TEST_KEY, "mod20 speed"), 43);
    EXPECT_EQ(stored(TEST_KEY, "cycle time"), 15);
    EXPECT_EQ(stored(TEST_KEY, "enable sound"), 0);
    EXPECT_EQ(g_nModule, 1);
    EXPECT_EQ(g_fDepth, g_ModDefaults[1].depth);
    EXPECT_TRUE(g_Questions.empty());

    load_settings(nullptr);
    EXPECT_FLOAT_EQ(g_Mods[7].vert, 12.14f);
    EXPECT_FLOAT_EQ(g_Mods[11].depth, 27.89f);
    EXPECT_FLOAT_EQ(g_Mods[5].xrot, -157.69f);
    for (int run = 0; run < 3; ++run) {
        load_settings(nullptr);
        EXPECT_EQ(stored(TEST_KEY, "mod7 vert"), 1214);
        EXPECT_EQ(stored(TEST_KEY, "mod11 depth"), 2789);
        EXPECT_EQ(stored(TEST_KEY, "mod13 horz"), 208);
    }
}

TEST_F(Registry, StoredOdditiesReadByTheirRules) {
    load_settings(nullptr);
    put_dword(TEST_KEY, "mod3 depth", -9999);
    put_dword(TEST_KEY, "mod4 depth", -9998);
    put_dword(TEST_KEY, "mod5 speed", 0);
    put_dword(TEST_KEY, "mod6 speed", 5000);
    put_dword(TEST_KEY, "mod7 speed", -9999); // no sentinel for speed: the floor
    put_dword(TEST_KEY, "mod8 active", -3);
    put_dword(TEST_KEY, "mod9 active", 7);
    put_dword(TEST_KEY, "mod10 active", -9999);
    put_dword(TEST_KEY, "cycle time", -1);
    put_dword(TEST_KEY, "enable sound", 9);
    load_settings(nullptr);
    EXPECT_EQ(g_Mods[3].depth, 68.0f);
    EXPECT_FLOAT_EQ(g_Mods[4].depth, -99.98f);
    EXPECT_EQ(g_Mods[5].speed, 0.0625f);
    EXPECT_EQ(g_Mods[6].speed, 10.0f);
    EXPECT_EQ(g_Mods[7].speed, 0.0625f);
    EXPECT_EQ(g_Mods[8].active, 0);
    EXPECT_EQ(g_Mods[9].active, 1);
    EXPECT_EQ(g_Mods[10].active, 1);
    EXPECT_EQ(g_nCycleTime, 15);
    EXPECT_TRUE(g_bSound);
    // The write-back replaced the oddities with what was read.
    EXPECT_EQ(stored(TEST_KEY, "mod3 depth"), 6800);
    EXPECT_EQ(stored(TEST_KEY, "mod6 speed"), 1000);
    EXPECT_EQ(stored(TEST_KEY, "mod8 active"), 0);
    EXPECT_EQ(stored(TEST_KEY, "enable sound"), 1);

    put_dword(TEST_KEY, "cycle time", 0);
    load_settings(nullptr);
    EXPECT_EQ(g_nCycleTime, 0);
}

TEST_F(Registry, WithoutModOneDepthEveryModuleReturnsToDefaults) {
    load_settings(nullptr);
    put_dword(TEST_KEY, "mod12 depth", 100);
    put_dword(TEST_KEY, "mod12 active", 0);
    put_dword(TEST_KEY, "cycle time", 40);
    put_dword(TEST_KEY, "enable sound", 1);
    HKEY key;
    RegOpenKeyExA(HKEY_CURRENT_USER, TEST_KEY, 0, KEY_ALL_ACCESS, &key);
    RegDeleteValueA(key, "mod1 depth");
    RegCloseKey(key);
    load_settings(nullptr);
    expect_defaults(1, MODULE_COUNT);
    EXPECT_EQ(g_nCycleTime, 40);
    EXPECT_TRUE(g_bSound);
    EXPECT_EQ(stored(TEST_KEY, "mod12 depth"), 6000);
    EXPECT_EQ(stored(TEST_KEY, "mod1 depth"), 5000);
}

TEST_F(Registry, SaveWritesRecordsNotLiveValues) {
    init_module_defaults();
    g_Mods[2].depth = 81.5f;
    g_Mods[2].active = 0;
    g_fDepth = 3.0f; // live values belong to no record until stored
    g_nCycleTime = 99999;
    g_bSound = true;
    save_settings();
    EXPECT_EQ(stored(TEST_KEY, "mod2 depth"), 8150);
    EXPECT_EQ(stored(TEST_KEY, "mod2 active"), 0);
    EXPECT_EQ(stored(TEST_KEY, "mod1 depth"), 5000);
    EXPECT_EQ(stored(TEST_KEY, "cycle time"), 99999);
    EXPECT_EQ(stored(TEST_KEY, "enable sound"), 1);
    EXPECT_EQ(value_count(TEST_KEY), 162u);
}

TEST_F(Registry, KeyThatCannotBeOpenedRunsOnDefaultsSilently) {
    // A lasting key cannot be created under a volatile one: every open of the missing key
    // fails.
    HKEY parent;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VeltaUnitTests\\Volatile", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    reg_set_key(nullptr, "Software\\VeltaUnitTests\\Volatile\\Velta II");
    EXPECT_EQ(reg_read_dword("mod1 depth", -9999), -9999);
    EXPECT_FALSE(reg_write_dword("mod1 depth", 1));
    g_bSaverMode = false;
    load_settings(nullptr);
    expect_defaults(1, MODULE_COUNT);
    EXPECT_EQ(g_nCycleTime, 15);
    EXPECT_FALSE(g_bSound);
    EXPECT_EQ(g_nModule, 1);
    EXPECT_TRUE(g_Questions.empty()); // the predecessor had nothing to import
}

TEST_F(Registry, ValueNameThatIsASubkeyCountsAsMissing) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(TEST_KEY) + "\\mod1 depth").c_str(), 0, nullptr,
                    0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
    put_dword(TEST_KEY, "mod2 depth", 1);
    load_settings(nullptr);
    expect_defaults(1, MODULE_COUNT);
    EXPECT_EQ(stored(TEST_KEY, "mod1 depth"), 5000);
}

class Migration : public Registry {
  protected:
    void SetUp() override {
        Registry::SetUp();
        g_bSaverMode = false;
        // Ours: module 2 and module 12 steered, sound on, cycle time 30.
        init_module_defaults();
        g_Mods[2].depth = 55.0f;
        g_Mods[12].depth = 66.0f;
        g_nCycleTime = 30;
        g_bSound = true;
        save_settings();
        // The predecessor's: module 2, module 10 and module 12 (never imported).
        put_dword(TEST_IMPORT_KEY, "mod1 depth", 4400);
        put_dword(TEST_IMPORT_KEY, "mod2 depth", 7700);
        put_dword(TEST_IMPORT_KEY, "mod10 active", 0);
        put_dword(TEST_IMPORT_KEY, "mod12 depth", 9900);
        put_dword(TEST_IMPORT_KEY, "cycle time", 25);
        put_dword(TEST_IMPORT_KEY, "enable sound", 0);
    }
};

TEST_F(Migration, YesMergesTheFirstTenModulesAndTheCycleTime) {
    g_nAnswer = IDYES;
    HWND owner = GetDesktopWindow();
    load_settings(owner);
    ASSERT_EQ(g_Questions.size(), 1u);
    EXPECT_EQ(g_Questions[0].owner, owner);
    EXPECT_EQ(g_Questions[0].text, "Do you want to use your old Velta settings for Velta_II?");
    EXPECT_EQ(g_Questions[0].caption, "Original Velta Screensaver Found");
    EXPECT_EQ(g_Questions[0].type, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(g_Mods[1].depth, 44.0f);
    EXPECT_EQ(g_Mods[2].depth, 77.0f);
    EXPECT_EQ(g_Mods[3].depth, 68.0f); // absent there: the default, not ours
    EXPECT_EQ(g_Mods[10].active, 0);
    EXPECT_EQ(g_Mods[12].depth, 66.0f);
    EXPECT_EQ(g_nCycleTime, 25);
    EXPECT_TRUE(g_bSound);
    // Saved at once into our key, with the marker; the predecessor's key is left as it was.
    EXPECT_EQ(stored(TEST_KEY, "mod2 depth"), 7700);
    EXPECT_EQ(stored(TEST_KEY, "mod12 depth"), 6600);
    EXPECT_EQ(stored(TEST_KEY, "cycle time"), 25);
    EXPECT_EQ(stored(TEST_KEY, "checked_for_velta_params"), 1);
    EXPECT_EQ(value_count(TEST_KEY), 163u);
    EXPECT_EQ(value_count(TEST_IMPORT_KEY), 6u);
    // The question comes once.
    load_settings(owner);
    EXPECT_EQ(g_Questions.size(), 1u);
    EXPECT_EQ(g_Mods[1].depth, 44.0f);
}

TEST_F(Migration, NoKeepsOurSettingsAndIsNotAskedAgain) {
    load_settings(nullptr);
    ASSERT_EQ(g_Questions.size(), 1u);
    EXPECT_EQ(g_Mods[2].depth, 55.0f);
    EXPECT_EQ(g_nCycleTime, 30);
    EXPECT_EQ(stored(TEST_KEY, "checked_for_velta_params"), 1);
    load_settings(nullptr);
    EXPECT_EQ(g_Questions.size(), 1u);
}

TEST_F(Migration, NeverAskedInTheSaver) {
    g_bSaverMode = true;
    load_settings(nullptr);
    EXPECT_TRUE(g_Questions.empty());
    EXPECT_EQ(stored(TEST_KEY, "checked_for_velta_params"), 12345678);
}

TEST_F(Migration, NothingToImportStillWritesTheMarker) {
    RegDeleteTreeA(HKEY_CURRENT_USER, TEST_IMPORT_KEY);
    load_settings(nullptr);
    EXPECT_TRUE(g_Questions.empty());
    EXPECT_EQ(stored(TEST_KEY, "checked_for_velta_params"), 1);
    EXPECT_TRUE(key_exists(TEST_IMPORT_KEY)); // reading creates it, empty
    EXPECT_EQ(value_count(TEST_IMPORT_KEY), 0u);
}

TEST_F(Migration, AnyStoredMarkerSettlesTheQuestion) {
    put_dword(TEST_KEY, "checked_for_velta_params", 0);
    load_settings(nullptr);
    EXPECT_TRUE(g_Questions.empty());
    put_dword(TEST_KEY, "checked_for_velta_params", -9999); // the sentinel: not settled
    load_settings(nullptr);
    EXPECT_EQ(g_Questions.size(), 1u);
}

} // namespace
