// The view keys: step sizes, limits, module switching, quit rules and the parameter dump.
#include "core/render/render_state.h"
#include "core/settings/module_params.h"
#include "windows/dialogs/message_box.h"
#include "windows/settings/view_keys.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

struct Shown {
    HWND owner;
    std::string text, caption;
    UINT type;
};
std::vector<Shown> g_Shown;

int WINAPI record_box(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    g_Shown.push_back({owner, text, caption, type});
    return IDOK;
}

void press(WPARAM key, int times = 1) {
    for (int i = 0; i < times; ++i)
        handle_view_key(nullptr, WM_KEYDOWN, key, 0);
}

void enable_only(std::initializer_list<int> modules) {
    for (int k = 1; k <= MODULE_COUNT; ++k)
        g_Mods[k].active = 0;
    for (int k : modules)
        g_Mods[k].active = 1;
}

class ViewKeys : public testing::Test {
  protected:
    void SetUp() override {
        init_module_defaults();
        g_bSaverMode = true;
        g_bFullScreen = true;
        g_bQuit = false;
        g_nModule = 2;
        load_module_params(2);
        g_pfnMessageBox = record_box;
        g_Shown.clear();
    }
    void TearDown() override {
        g_pfnMessageBox = MessageBoxA;
        g_bQuit = false;
    }
};

TEST_F(ViewKeys, StepSizesFollowTheDepth) {
    const struct {
        float depth;
        WPARAM key;
        float expected;
    } cases[] = {
        {40.0f, VK_PRIOR, 40.3f},   {50.0f, VK_PRIOR, 51.0f},    {149.9f, VK_NEXT, 147.9f},
        {49.9f, VK_NUMPAD9, 50.2f}, {40.0f, VK_NUMPAD3, 39.7f},  {0.0f, VK_NEXT, -0.3f},
        {-60.0f, VK_PRIOR, -59.7f}, {100.0f, VK_NUMPAD3, 98.0f},
    };
    for (const auto& c : cases) {
        g_fDepth = c.depth;
        press(c.key);
        EXPECT_FLOAT_EQ(g_fDepth, c.expected) << "from " << c.depth;
    }
    g_fDepth = 49.9f;
    press(VK_PRIOR, 2);
    EXPECT_FLOAT_EQ(g_fDepth, 51.2f);
}

TEST_F(ViewKeys, ArrowsAndKeypadPanByTheDepthStep) {
    g_fDepth = -60.0f;
    g_fHorz = g_fVert = 0.0f;
    press(VK_UP, 3);
    press(VK_NUMPAD2);
    press(VK_LEFT);
    press(VK_NUMPAD4);
    press(VK_RIGHT, 3);
    press(VK_NUMPAD8);
    EXPECT_FLOAT_EQ(g_fVert, 0.3f);
    EXPECT_FLOAT_EQ(g_fHorz, 0.1f);
    g_fDepth = 120.0f;
    press(VK_NUMPAD6);
    press(VK_DOWN);
    EXPECT_FLOAT_EQ(g_fHorz, 2.1f);
    EXPECT_FLOAT_EQ(g_fVert, -1.7f);
    EXPECT_EQ(g_fDepth, 120.0f);
}

TEST_F(ViewKeys, HugeDepthsKeepLargeSteps) {
    EXPECT_EQ(zoom_step(3e9f), static_cast<float>(INT_MAX / 50));
    EXPECT_EQ(zoom_step(-3e9f), 0.3f);
    EXPECT_EQ(pan_step(std::nanf("")), 0.1f);
}

TEST_F(ViewKeys, RotationPairsAndTheirSigns) {
    g_fXrot = g_fYrot = g_fZrot = 0.0f;
    press(VK_F2, 2);
    press(VK_F3);
    press(VK_F4);
    press(VK_F5, 3);
    press(VK_F6, 2);
    press(VK_F7, 3);
    EXPECT_FLOAT_EQ(g_fXrot, -1.5f);
    EXPECT_FLOAT_EQ(g_fYrot, 3.0f);
    EXPECT_FLOAT_EQ(g_fZrot, -1.5f);
    g_fXrot = 359.0f;
    press(VK_F3);
    EXPECT_FLOAT_EQ(g_fXrot, 360.5f); // angles are not wrapped
}

TEST_F(ViewKeys, SpeedLimits) {
    g_fSpeed = 0.5f;
    press(VK_F8, 3);
    EXPECT_EQ(g_fSpeed, 0.125f);
    press(VK_F8);
    EXPECT_EQ(g_fSpeed, 0.0625f);
    press(VK_F8);
    EXPECT_EQ(g_fSpeed, 0.0625f);
    g_fSpeed = 0.5f;
    press(VK_F9, 75);
    EXPECT_LT(g_fSpeed, 10.0f);
    press(VK_F9);
    EXPECT_EQ(g_fSpeed, 10.0f);
    press(VK_F9);
    EXPECT_EQ(g_fSpeed, 10.0f);
    g_fSpeed = 0.1f;
    press(VK_F8);
    EXPECT_EQ(g_fSpeed, 0.0625f);
    g_fSpeed = 9.95f;
    press(VK_F9);
    EXPECT_EQ(g_fSpeed, 10.0f);
}

TEST_F(ViewKeys, HomeRestoresOnlyTheLiveValues) {
    g_fDepth = 99.0f;
    g_fZrot = 12.0f;
    g_fSpeed = 3.0f;
    g_Mods[2].depth = 77.0f;
    g_fPhase = 123.0f;
    g_dwCycleStart = 42;
    press(VK_HOME);
    EXPECT_EQ(g_fDepth, 40.0f);
    EXPECT_EQ(g_fZrot, 0.0f);
    EXPECT_EQ(g_fSpeed, 0.5f);
    EXPECT_EQ(g_Mods[2].depth, 77.0f);
    EXPECT_EQ(g_fPhase, 123.0f);
    EXPECT_EQ(g_dwCycleStart, 42u);
    EXPECT_EQ(g_nModule, 2);
}

TEST_F(ViewKeys, EnterAndBackspaceStoreSwitchAndLoad) {
    enable_only({2, 5, 9});
    g_fDepth = 33.0f;
    g_fPhase = 50.0f;
    g_nFadeState = 2;
    g_fFadeAngle = 1.0f;
    g_dwCycleStart = 0;
    const DWORD before = GetTickCount();
    press(VK_RETURN);
    EXPECT_EQ(g_nModule, 5);
    EXPECT_EQ(g_Mods[2].depth, 33.0f);
    EXPECT_EQ(g_fDepth, g_Mods[5].depth);
    EXPECT_EQ(g_fPhase, 0.0f);
    EXPECT_EQ(g_nFadeState, 0);
    EXPECT_EQ(g_fFadeAngle, 0.0f);
    EXPECT_GE(g_dwCycleStart - before, 0u);
    EXPECT_LT(g_dwCycleStart - before, 1000u);
    press(VK_BACK, 2);
    EXPECT_EQ(g_nModule, 9);
    press(VK_RETURN);
    EXPECT_EQ(g_nModule, 2);
    EXPECT_EQ(g_fDepth, 33.0f);
    EXPECT_FALSE(g_bQuit);
}

TEST_F(ViewKeys, EnterWithOneModuleOrNone) {
    enable_only({4});
    g_nModule = 4;
    load_module_params(4);
    g_fDepth = 61.0f;
    g_fPhase = 10.0f;
    press(VK_RETURN);
    EXPECT_EQ(g_nModule, 4);
    EXPECT_EQ(g_fDepth, 61.0f);
    EXPECT_EQ(g_fPhase, 0.0f);

    enable_only({});
    g_fDepth = 17.0f;
    press(VK_RETURN);
    EXPECT_EQ(g_nModule, 0);
    EXPECT_EQ(g_fDepth, 17.0f);
    EXPECT_EQ(g_Mods[4].depth, 17.0f); // the view left the screen into its record
    press(VK_BACK);
    EXPECT_EQ(g_nModule, 0);
    EXPECT_EQ(g_fDepth, 17.0f);
}

TEST_F(ViewKeys, QuitRulesInSaverAndDialog) {
    press('A');
    EXPECT_TRUE(g_bQuit);
    g_bQuit = false;
    press(VK_SHIFT);
    EXPECT_TRUE(g_bQuit);

    g_bQuit = false;
    g_bSaverMode = false;
    press('A');
    press('7');
    press(VK_TAB);
    EXPECT_FALSE(g_bQuit);
    press(VK_ESCAPE);
    EXPECT_TRUE(g_bQuit);
}

TEST_F(ViewKeys, OnlyKeyDownsAct) {
    handle_view_key(nullptr, WM_KEYUP, 'A', 0);
    handle_view_key(nullptr, WM_KEYUP, VK_PRIOR, 0);
    handle_view_key(nullptr, WM_CHAR, 'a', 0);
    EXPECT_FALSE(g_bQuit);
    EXPECT_EQ(g_fDepth, 40.0f);
    handle_view_key(nullptr, WM_SYSKEYDOWN, VK_PRIOR, 0);
    EXPECT_FLOAT_EQ(g_fDepth, 40.3f);
}

TEST_F(ViewKeys, NothingActsInTheDisplaySettingsPreview) {
    g_bFullScreen = false;
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM('A'), WPARAM(VK_PRIOR), WPARAM(VK_RETURN),
                       WPARAM(VK_F9), WPARAM(VK_F11), WPARAM(VK_HOME)})
        press(key);
    EXPECT_FALSE(g_bQuit);
    EXPECT_EQ(g_nModule, 2);
    EXPECT_EQ(g_fDepth, 40.0f);
    EXPECT_EQ(g_fSpeed, 0.5f);
    EXPECT_TRUE(g_Shown.empty());
}

TEST_F(ViewKeys, F11ShowsTheLiveValues) {
    g_fDepth = 27.89f;
    g_fHorz = -5.0f;
    g_fSpeed = 0.0625f;
    HWND owner = GetDesktopWindow();
    handle_view_key(owner, WM_KEYDOWN, VK_F11, 0);
    ASSERT_EQ(g_Shown.size(), 1u);
    EXPECT_EQ(g_Shown[0].owner, owner);
    EXPECT_EQ(g_Shown[0].caption, "Params");
    EXPECT_EQ(g_Shown[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(g_Shown[0].text, "g_fDepth 27.889999\ng_fHorz  -5.000000\ng_fVert  0.000000\n"
                               "g_fXrot  -90.000000\ng_fYrot  0.000000\ng_fZrot  0.000000\n"
                               "g_fSpeed 0.062500\n");
    EXPECT_FALSE(g_bQuit);
}

} // namespace
