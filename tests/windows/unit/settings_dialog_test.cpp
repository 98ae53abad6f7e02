// The settings dialog's command and spin handling on the real dialog template, without the
// settings load, the preview's OpenGL context or the frame chain: the controls are made from
// dialog 2003 and the handlers are called as the dialog procedure calls them. And the preview's
// context, made and released on the dialog's panel.
#include "windows/dialogs/settings_dialog.h"

#include "core/render/render_state.h"
#include "core/scenes/draw_ops.h"
#include "core/settings/module_params.h"
#include "windows/render/gl_context.h"
#include "windows/resources/dialog_ids.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

INT_PTR CALLBACK controls_only_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
        return settings_command(dlg, wParam, lParam);
    case WM_VSCROLL:
        return settings_spin(dlg, wParam, lParam);
    }
    return FALSE;
}

class SettingsDialogControls : public testing::Test {
  protected:
    // One dialog for the suite: making a window under Wine takes a while.
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                 controls_only_proc, 0);
    }
    static void TearDownTestSuite() { DestroyWindow(dlg); }

    void SetUp() override {
        ASSERT_NE(dlg, nullptr);
        init_module_defaults();
        for (int k = 1; k <= MODULE_COUNT; ++k)
            CheckDlgButton(dlg, IDC_ENABLE_BASE + k, BST_CHECKED);
        g_nModule = 1;
        load_module_params(1);
        g_bEditTyping = false;
    }

    INT_PTR command(int id, int code = BN_CLICKED) {
        return SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code),
                            reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
    }
    INT_PTR command_result(int id, int code = BN_CLICKED) {
        return settings_command(dlg, MAKEWPARAM(id, code),
                                reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
    }
    bool checked(int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
    std::string seconds_text() {
        char text[32] = "";
        GetDlgItemTextA(dlg, IDC_SECONDS_EDIT, text, sizeof text);
        return text;
    }

    static HWND dlg;
};

HWND SettingsDialogControls::dlg;

} // namespace

TEST_F(SettingsDialogControls, PreviewButtonStoresTheLeavingViewAndLoadsTheNewModule) {
    g_fDepth = 33.0f; // module 1 zoomed in
    g_fPhase = 123.0f;
    CheckDlgButton(dlg, IDC_ENABLE_BASE + 5, BST_UNCHECKED);
    EXPECT_EQ(command_result(IDC_PREVIEW_BASE + 5), FALSE);
    EXPECT_EQ(g_Mods[1].depth, 33.0f);
    EXPECT_EQ(g_nModule, 5);
    EXPECT_EQ(g_fDepth, 22.0f);
    EXPECT_EQ(g_fHorz, -6.0f);
    EXPECT_EQ(g_fPhase, 0.0f);
    // The module's enable box is read again: a disabled module can be previewed.
    EXPECT_EQ(g_Mods[5].active, 0);
}

TEST_F(SettingsDialogControls, EnableBoxesAndTheAllButtons) {
    CheckDlgButton(dlg, IDC_ENABLE_BASE + 3, BST_UNCHECKED);
    command(IDC_ENABLE_BASE + 3);
    EXPECT_EQ(g_Mods[3].active, 0);
    EXPECT_EQ(g_Mods[4].active, 1);

    command(IDC_DISABLE_ALL);
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        EXPECT_EQ(g_Mods[k].active, 0) << k;
        EXPECT_FALSE(checked(IDC_ENABLE_BASE + k)) << k;
    }
    EXPECT_EQ(g_nModule, 1); // the module on screen stays, showing cleared frames
    command(IDC_ENABLE_ALL);
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        EXPECT_EQ(g_Mods[k].active, 1) << k;
        EXPECT_TRUE(checked(IDC_ENABLE_BASE + k)) << k;
    }
}

TEST_F(SettingsDialogControls, SoundBox) {
    g_bSound = false;
    CheckDlgButton(dlg, IDC_ENABLE_SOUND, BST_CHECKED);
    command(IDC_ENABLE_SOUND);
    EXPECT_TRUE(g_bSound);
    CheckDlgButton(dlg, IDC_ENABLE_SOUND, BST_UNCHECKED);
    command(IDC_ENABLE_SOUND);
    EXPECT_FALSE(g_bSound);
}

TEST_F(SettingsDialogControls, SecondsBoxTakesTheKeysWhileEditedAndClampsWhenLeft) {
    EXPECT_EQ(command_result(IDC_SECONDS_EDIT, EN_SETFOCUS), TRUE);
    EXPECT_TRUE(g_bEditTyping);
    SetDlgItemTextA(dlg, IDC_SECONDS_EDIT, "0");
    EXPECT_TRUE(g_bEditTyping);
    // Leaving the box: the number is clamped and written back, and the box's own report of
    // that rewrite must not hand the keys back to it.
    command(IDC_SECONDS_EDIT, EN_KILLFOCUS);
    EXPECT_EQ(g_nCycleTime, 1);
    EXPECT_EQ(seconds_text(), "1");
    EXPECT_FALSE(g_bEditTyping);

    command(IDC_SECONDS_EDIT, EN_SETFOCUS);
    SetDlgItemTextA(dlg, IDC_SECONDS_EDIT, "123456");
    command(IDC_SECONDS_EDIT, EN_KILLFOCUS);
    EXPECT_EQ(g_nCycleTime, 9999);
    EXPECT_EQ(seconds_text(), "9999");

    command(IDC_SECONDS_EDIT, EN_SETFOCUS);
    command(IDC_PREVIEW_BASE + 2); // any other command hands the keys back to the preview
    EXPECT_FALSE(g_bEditTyping);
    EXPECT_EQ(command_result(4711), TRUE); // an unknown id
}

TEST_F(SettingsDialogControls, SpinStepsTheBoxWithinItsRange) {
    SetDlgItemTextA(dlg, IDC_SECONDS_EDIT, "9999");
    HWND spin = GetDlgItem(dlg, IDC_SECONDS_SPIN);
    const LPARAM from = reinterpret_cast<LPARAM>(spin);
    // The control's position only ever goes down from where the last report left it for the
    // up arrow; the first report at 0 counts as up.
    EXPECT_EQ(settings_spin(dlg, MAKEWPARAM(SB_THUMBPOSITION, 0), from), FALSE);
    EXPECT_EQ(seconds_text(), "9999");
    settings_spin(dlg, MAKEWPARAM(SB_THUMBPOSITION, 1), from); // down
    EXPECT_EQ(seconds_text(), "9998");
    EXPECT_EQ(g_nCycleTime, 9998);
    EXPECT_EQ(settings_spin(dlg, MAKEWPARAM(SB_ENDSCROLL, 0), from), TRUE);
    EXPECT_EQ(seconds_text(), "9998");
    SetDlgItemTextA(dlg, IDC_SECONDS_EDIT, "1");
    settings_spin(dlg, MAKEWPARAM(SB_THUMBPOSITION, 2), from); // down again
    EXPECT_EQ(seconds_text(), "1");
    settings_spin(dlg, MAKEWPARAM(SB_THUMBPOSITION, 1), from); // up
    EXPECT_EQ(seconds_text(), "2");
}

TEST_F(SettingsDialogControls, SyncPreviewButtonsChecksOnlyTheModuleOnScreen) {
    sync_preview_buttons(dlg, 7);
    for (int k = 1; k <= MODULE_COUNT; ++k)
        EXPECT_EQ(checked(IDC_PREVIEW_BASE + k), k == 7) << k;
    for (int outside : {0, 21, -1}) {
        sync_preview_buttons(dlg, outside);
        for (int k = 1; k <= MODULE_COUNT; ++k)
            EXPECT_FALSE(checked(IDC_PREVIEW_BASE + k)) << outside << " " << k;
    }
}

// Windows rescales the dialog and its panel when it moves to a monitor of another DPI; the
// preview's picture then follows the panel's new size, and only then is the projection set.
TEST_F(SettingsDialogControls, PreviewViewportFollowsThePanelSize) {
    HWND panel = GetDlgItem(dlg, IDC_PREVIEW_PANEL);
    RECT before;
    GetClientRect(panel, &before);
    ASSERT_TRUE(create_gl_context(panel, 32));
    GLint view[4];
    follow_client_size();
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(view[2], before.right);
    EXPECT_EQ(view[3], before.bottom);
    glViewport(0, 0, 5, 5); // stands for a projection nobody has reason to touch
    follow_client_size();
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(view[2], 5) << "the projection was set again for an unchanged panel";
    SetWindowPos(panel, nullptr, 0, 0, before.right * 2, before.bottom * 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    follow_client_size();
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(view[2], before.right * 2);
    EXPECT_EQ(view[3], before.bottom * 2);
    release_gl_context();
    SetWindowPos(panel, nullptr, 0, 0, before.right, before.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The program's import slots of the two GLU functions and of the list functions (bound at
// start-up), through which the test counts the quadrics and display lists alive.
extern "C" GLUquadric*(APIENTRY* __imp_gluNewQuadric)();
extern "C" void(APIENTRY* __imp_gluDeleteQuadric)(GLUquadric*);
extern "C" GLuint(APIENTRY* __imp_glGenLists)(GLsizei);
extern "C" void(APIENTRY* __imp_glDeleteLists)(GLuint, GLsizei);

namespace {

GLUquadric*(APIENTRY* g_pfnNewQuadric)();
void(APIENTRY* g_pfnDeleteQuadric)(GLUquadric*);
GLuint(APIENTRY* g_pfnGenLists)(GLsizei);
void(APIENTRY* g_pfnDeleteLists)(GLuint, GLsizei);
int g_nQuadrics, g_nLists;
bool g_bNoListNames; // glGenLists answers 0, as a driver out of list names does

GLUquadric* APIENTRY counted_new_quadric() {
    GLUquadric* quadric = g_pfnNewQuadric();
    g_nQuadrics += quadric != nullptr;
    return quadric;
}

void APIENTRY counted_delete_quadric(GLUquadric* quadric) {
    g_nQuadrics -= quadric != nullptr;
    g_pfnDeleteQuadric(quadric);
}

GLuint APIENTRY counted_gen_lists(GLsizei range) {
    const GLuint first = g_bNoListNames ? 0 : g_pfnGenLists(range);
    g_nLists += first ? range : 0;
    return first;
}

void APIENTRY counted_delete_lists(GLuint list, GLsizei range) {
    g_nLists -= range;
    g_pfnDeleteLists(list, range);
}

} // namespace

// Each preview makes the scenes' quadric with its context, compiles each distinct shape once
// in it, and frees both with the context, so a dialog opened again and again keeps none
// behind. Without list names the shapes are drawn all the same, and no error is left.
TEST_F(SettingsDialogControls, EachPreviewContextFreesItsQuadricAndShapeLists) {
    HWND panel = GetDlgItem(dlg, IDC_PREVIEW_PANEL);
    g_pfnNewQuadric = __imp_gluNewQuadric;
    g_pfnDeleteQuadric = __imp_gluDeleteQuadric;
    g_pfnGenLists = __imp_glGenLists;
    g_pfnDeleteLists = __imp_glDeleteLists;
    __imp_gluNewQuadric = counted_new_quadric;
    __imp_gluDeleteQuadric = counted_delete_quadric;
    __imp_glGenLists = counted_gen_lists;
    __imp_glDeleteLists = counted_delete_lists;
    for (int i = 0; i < 3; ++i) {
        g_bNoListNames = i == 2;
        EXPECT_TRUE(create_gl_context(panel, 32));
        EXPECT_EQ(g_nQuadrics, 1);
        for (int frame = 0; frame < 2; ++frame) {
            g_Draw.cylinder(2.0, 2.0, 6.0, 32, 32);
            g_Draw.sphere(7.0, 32, 32);
        }
        EXPECT_EQ(g_nLists, g_bNoListNames ? 0 : 2) << "preview " << i;
        EXPECT_EQ(g_Draw.get_error(), GLenum(GL_NO_ERROR)) << "preview " << i;
        release_gl_context();
        EXPECT_EQ(g_nQuadrics, 0) << "preview " << i;
        EXPECT_EQ(g_nLists, 0) << "preview " << i;
    }
    release_gl_context(); // a second release frees nothing twice
    EXPECT_EQ(g_nQuadrics, 0);
    EXPECT_EQ(g_nLists, 0);
    __imp_gluNewQuadric = g_pfnNewQuadric;
    __imp_gluDeleteQuadric = g_pfnDeleteQuadric;
    __imp_glGenLists = g_pfnGenLists;
    __imp_glDeleteLists = g_pfnDeleteLists;
}
