// The built-in defaults table and the copies between module records and the live values.
#include "core/settings/module_params.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

void set_live(float depth, float horz, float vert, float x, float y, float z, float speed) {
    g_fDepth = depth;
    g_fHorz = horz;
    g_fVert = vert;
    g_fXrot = x;
    g_fYrot = y;
    g_fZrot = z;
    g_fSpeed = speed;
}

void expect_live(const ModuleParams& m) {
    EXPECT_EQ(g_fDepth, m.depth);
    EXPECT_EQ(g_fHorz, m.horz);
    EXPECT_EQ(g_fVert, m.vert);
    EXPECT_EQ(g_fXrot, m.xrot);
    EXPECT_EQ(g_fYrot, m.yrot);
    EXPECT_EQ(g_fZrot, m.zrot);
    EXPECT_EQ(g_fSpeed, m.speed);
}

} // namespace

TEST(ModuleDefaults, MatchTheTableForEveryModule) {
    init_module_defaults();
    struct Row {
        const char* name;
        float depth, horz, vert, xrot, yrot, zrot, speed;
    };
    // clang-format off
    const Row rows[21] = {
        {"", 40, 0, 0, -90, 0, 0, 0.5f},
        {"Shechen", 50, 0, 0, -90, 0, 0, 0.5f},       {"Jokhang", 40, 0, 0, -90, 0, 0, 0.5f},
        {"Mindroling", 68, 0, 0, -90, 0, 0, 0.5f},    {"Tsurphu", 25, 0, -1.25f, 0, 90, 0, 0.5f},
        {"Palpung", 22, -6, -4, -157.7f, 208.6f, 0, 0.5f}, {"Kathok", 40, 0, 0, -90, 0, 0, 0.5f},
        {"Samdrup", 25, -7, 12.15f, -90, 90, 0, 0.5f}, {"Drepung", 14, 0, 0, -90, 0, 0, 0.5f},
        {"Sera", 30, 0, 0, 0, 0, 0, 0.5f},            {"Dzogchen", 45, 0, 0, -90, 0, 0, 0.3f},
        {"Menri", 27.9f, -5, -2, -19.5f, -37.5f, 10.5f, 0.5f}, {"Samye", 60, 0, 0, 0, 0, 0, 0.3f},
        {"Dorje Drak", 50.1f, 2.09f, 4, -46.5f, 18, 52.5f, 0.3f},
        {"Nyingma", 45.8f, 0, 0, 0, 0, 0, 0.5f},      {"Kagyu", 34.5f, 0, -3, 0, 0, 0, 0.5f},
        {"Sakya", 29.8f, 0, -0.4f, 30, 0, 0, 0.3f},   {"Surmang", 41, 0, -1.15f, 39, 0, 0, 0.3f},
        {"Ganden", 15, 0, 0.2f, -88.5f, 0, 34.5f, 0.5f}, {"Palyul", 12, 0, 0.38f, -30, 0, 0, 0.18f},
        {"Gelug", 16.55f, 0, -4.4f, -33, 0, 0, 0.43f},
    };
    // clang-format on
    for (int k = 0; k <= MODULE_COUNT; ++k) {
        SCOPED_TRACE(k);
        const ModuleParams& m = g_Mods[k];
        const Row& r = rows[k];
        EXPECT_STREQ(module_name(k), r.name);
        EXPECT_EQ(m.depth, r.depth);
        EXPECT_EQ(m.horz, r.horz);
        EXPECT_EQ(m.vert, r.vert);
        EXPECT_EQ(m.xrot, r.xrot);
        EXPECT_EQ(m.yrot, r.yrot);
        EXPECT_EQ(m.zrot, r.zrot);
        EXPECT_EQ(m.speed, r.speed);
        EXPECT_EQ(m.active, 1);
        EXPECT_GE(m.speed, SPEED_MIN);
        EXPECT_LE(m.speed, SPEED_MAX);
    }
    EXPECT_EQ(std::memcmp(g_Mods, g_ModDefaults, sizeof g_Mods), 0);
    EXPECT_STREQ(module_name(21), "");
}

TEST(ModuleDefaults, RebuildDiscardsEarlierChanges) {
    init_module_defaults();
    g_Mods[4].depth = 1.0f;
    g_Mods[4].active = 0;
    g_ModDefaults[4].speed = 9.0f;
    init_module_defaults();
    EXPECT_EQ(g_Mods[4].depth, 25.0f);
    EXPECT_EQ(g_Mods[4].active, 1);
    EXPECT_EQ(g_ModDefaults[4].speed, 0.5f);
}

TEST(ModuleCopies, StoreAndLoadRoundTripWithoutTouchingActive) {
    init_module_defaults();
    g_Mods[3].active = 0;
    set_live(1, 2, 3, 4, 5, 6, 7);
    store_module_params(3);
    EXPECT_EQ(g_Mods[3].active, 0);
    set_live(0, 0, 0, 0, 0, 0, 0);
    g_fPhase = 123.0f;
    load_module_params(3);
    expect_live({1, 2, 3, 4, 5, 6, 7, 0});
    EXPECT_EQ(g_fPhase, 0.0f);
}

TEST(ModuleCopies, IndexOutsideModulesCopiesNothingButLoadStillResetsPhase) {
    init_module_defaults();
    const ModuleParams before0 = g_Mods[0];
    set_live(1, 2, 3, 4, 5, 6, 7);
    for (int k : {0, 21, -1}) {
        store_module_params(k);
        g_fPhase = 9.0f;
        load_module_params(k);
        EXPECT_EQ(g_fPhase, 0.0f);
        restore_module_defaults(k);
        expect_live({1, 2, 3, 4, 5, 6, 7, 1});
    }
    EXPECT_EQ(std::memcmp(&g_Mods[0], &before0, sizeof before0), 0);
}

TEST(ModuleCopies, RestoreDefaultsKeepsPhaseAndLeavesRecordUntilStored) {
    init_module_defaults();
    g_Mods[5].depth = 99.0f;
    load_module_params(5);
    g_fPhase = 42.0f;
    restore_module_defaults(5);
    expect_live(g_ModDefaults[5]);
    EXPECT_EQ(g_fPhase, 42.0f);
    EXPECT_EQ(g_Mods[5].depth, 99.0f);
    store_module_params(5); // a switch to another module stores the restored view
    EXPECT_EQ(g_Mods[5].depth, 22.0f);
}
