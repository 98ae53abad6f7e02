// The settings dialog: loads the settings, runs the saver's frame step on its preview panel,
// lets the user change the modules, the seconds and the sound, and saves only on OK.
#include "windows/dialogs/settings_dialog.h"

#include "core/platform.h"
#include "core/render/frame_step.h"
#include "core/render/render_state.h"
#include "core/settings/module_params.h"
#include "windows/dialogs/about_box.h"
#include "windows/dialogs/center_window.h"
#include "windows/dialogs/seconds_box.h"
#include "windows/host/saver_window.h"
#include "windows/music/players.h"
#include "windows/render/frame_queue.h"
#include "windows/render/gl_context.h"
#include "windows/render/timer_period.h"
#include "windows/resources/dialog_ids.h"
#include "windows/settings/registry.h"

#include <commctrl.h>

bool g_bEditTyping;

static int g_nSpinPosition;      // last position the spin reported
static bool g_bPreviewRuns;      // the panel has a GL context and the frame chain runs
static bool g_bRewritingSeconds; // the program itself is replacing the seconds box's text
static bool g_bFrameHeld;        // a frame message arrived while a frame was being handled

static void post_frame(HWND dlg) {
    PostMessageA(dlg, WM_SAVER_FRAME, WPARAM(-1), LPARAM(-1));
}

static int read_seconds_box(HWND dlg) {
    char text[SECONDS_TEXT_SIZE] = "";
    GetDlgItemTextA(dlg, IDC_SECONDS_EDIT, text, sizeof text);
    return parse_seconds_text(text);
}

static void write_seconds_box(HWND dlg, int seconds) {
    char text[SECONDS_TEXT_SIZE];
    format_seconds_text(seconds, text);
    // The box reports the new text as a change; that is not the user typing.
    g_bRewritingSeconds = true;
    SetDlgItemTextA(dlg, IDC_SECONDS_EDIT, text);
    g_bRewritingSeconds = false;
}

static bool is_checked(HWND dlg, int id) {
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

static void set_checked(HWND dlg, int id, bool on) {
    CheckDlgButton(dlg, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void sync_preview_buttons(HWND dlg, int module) {
    for (int k = 1; k <= MODULE_COUNT; ++k)
        set_checked(dlg, IDC_PREVIEW_BASE + k, k == module);
}

bool init_settings_dialog(HWND dlg) {
    reg_set_key(dlg, SETTINGS_KEY);
    center_window(dlg);
    const bool ok = create_gl_context(GetDlgItem(dlg, IDC_PREVIEW_PANEL), 32);
    set_checked(dlg, IDC_ENABLE_SOUND, g_bSound);
    for (int k = 1; k <= MODULE_COUNT; ++k)
        set_checked(dlg, IDC_ENABLE_BASE + k, g_Mods[k].active != 0);
    SetScrollRange(GetDlgItem(dlg, IDC_SECONDS_SPIN), SB_CTL, SECONDS_MIN, SECONDS_MAX, FALSE);
    write_seconds_box(dlg, g_nCycleTime);
    return ok;
}

static HWND g_hSettingsDlg; // while it is open, for the frame step's voices and buttons

static void play_dialog_voice(int player) {
    play_tune(g_hSettingsDlg, player);
}

static void show_dialog_module(int module) {
    sync_preview_buttons(g_hSettingsDlg, module);
}

static void open_dialog(HWND dlg) {
    g_bSaverMode = false;
    g_hSettingsDlg = dlg;
    g_pfnPlayVoice = play_dialog_voice;
    g_pfnStopVoices = stop_all_players;
    g_pfnShowModule = show_dialog_module;
    take_timer_period();
    // The load may ask the one-time import question, owned by the still hidden dialog.
    reg_set_key(dlg, SETTINGS_KEY);
    load_settings(dlg);
    g_bPreviewRuns = init_settings_dialog(dlg);
    if (!g_bPreviewRuns)
        return; // no preview, music or frames; OK and Cancel still end the dialog
    start_players(dlg);
    if (g_bSound)
        play_tune(dlg, 0);
    g_bEditTyping = false;
    g_dwCycleStart = g_pfnTickCount();
    post_frame(dlg);
}

// One preview frame. Control work happens here too: the dialog's queued messages are drained
// and dispatched before the frame, the keys going to the view controls.
static void preview_frame(HWND dlg) {
    if (g_bInFrame)
        g_bFrameHeld = true;
    if (g_bInFrame || g_bQuit)
        return;
    g_bInFrame = true;
    if (drain_frame_queue(dlg, !g_bEditTyping)) {
        follow_client_size();
        frame_step();
        if (!g_bQuit)
            post_frame(dlg);
    }
    g_bInFrame = false;
}

// Runs once, whatever closes the dialog; saving, if any, has happened before.
static void close_dialog(HWND dlg) {
    if (g_bTornDown)
        return;
    g_bTornDown = true;
    g_bQuit = true;
    release_gl_context();
    stop_all_players();
    quit_all_players();
    return_timer_period();
    EndDialog(dlg, 1);
}

// OK and Cancel: stop the music and hide the dialog; the close itself follows.
static void finish_dialog(HWND dlg) {
    g_bQuit = true;
    stop_all_players();
    quit_all_players();
    ShowWindow(dlg, SW_HIDE);
    // Inside a preview frame the frame loop turns the quit into WM_CLOSE. Without a preview,
    // or when the button was pressed between two frames, nothing else would.
    if (!g_bPreviewRuns || !g_bInFrame)
        PostMessageA(dlg, WM_CLOSE, 0, 0);
}

// The preview stands still while a modal box is open. A click handled inside a frame holds
// the frame chain by itself; one handled between two frames (a button pressed by a message
// rather than the mouse) would let the box's own message loop keep drawing frames, which then
// crowd out the box's painting. Such a box runs as if inside a frame, and the frame message it
// held back is sent on when it closes.
static void show_modal_box(HWND dlg, void (*show)(HWND)) {
    if (!g_bPreviewRuns || g_bInFrame) {
        show(dlg);
        return;
    }
    g_bInFrame = true;
    g_bFrameHeld = false;
    show(dlg);
    g_bInFrame = false;
    if (g_bFrameHeld && !g_bQuit)
        post_frame(dlg);
}

static void set_all_modules(HWND dlg, bool on) {
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        g_Mods[k].active = on ? 1 : 0;
        set_checked(dlg, IDC_ENABLE_BASE + k, on);
    }
}

INT_PTR settings_command(HWND dlg, WPARAM wParam, LPARAM) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == IDC_SECONDS_EDIT) {
        if (!g_bRewritingSeconds)
            g_bEditTyping = code != EN_KILLFOCUS;
        if (code == EN_KILLFOCUS) {
            g_nCycleTime = clamp_seconds(read_seconds_box(dlg));
            write_seconds_box(dlg, g_nCycleTime);
        }
        return TRUE;
    }
    g_bEditTyping = false;
    if (id > IDC_ENABLE_BASE && id <= IDC_ENABLE_BASE + MODULE_COUNT) {
        const int k = id - IDC_ENABLE_BASE;
        g_Mods[k].active = is_checked(dlg, id) ? 1 : 0;
        return FALSE;
    }
    if (id > IDC_PREVIEW_BASE && id <= IDC_PREVIEW_BASE + MODULE_COUNT) {
        // Any module can be previewed; a disabled one shows cleared frames. The cycle timer
        // and the fade are left alone: in the dialog modules never change by themselves.
        const int k = id - IDC_PREVIEW_BASE;
        store_module_params(g_nModule);
        g_nModule = k;
        load_module_params(k);
        g_Mods[k].active = is_checked(dlg, IDC_ENABLE_BASE + k) ? 1 : 0;
        return FALSE;
    }
    switch (id) {
    case IDOK:
        // Read as typed: a cycle time never touched stays what the registry held.
        g_nCycleTime = read_seconds_box(dlg);
        store_module_params(g_nModule);
        save_settings();
        finish_dialog(dlg);
        return FALSE;
    case IDCANCEL:
        finish_dialog(dlg);
        return FALSE;
    case IDC_ABOUT:
        show_modal_box(dlg, show_about_box);
        return FALSE;
    case IDC_ENABLE_ALL:
        set_all_modules(dlg, true);
        return FALSE;
    case IDC_DISABLE_ALL:
        set_all_modules(dlg, false);
        return FALSE;
    case IDC_ENABLE_SOUND:
        // The frame step starts or stops the music from the next frame.
        g_bSound = is_checked(dlg, IDC_ENABLE_SOUND);
        return FALSE;
    }
    return TRUE;
}

INT_PTR settings_spin(HWND dlg, WPARAM wParam, LPARAM) {
    int seconds;
    bool recentre;
    if (!spin_seconds(read_seconds_box(dlg), LOWORD(wParam), static_cast<short>(HIWORD(wParam)),
                      g_nSpinPosition, seconds, &recentre))
        return TRUE;
    if (recentre)
        SendDlgItemMessageA(dlg, IDC_SECONDS_SPIN, UDM_SETPOS, 0, MAKELPARAM(SPIN_CENTRE, 0));
    g_nCycleTime = seconds;
    write_seconds_box(dlg, seconds);
    return FALSE;
}

INT_PTR CALLBACK settings_dialog_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        open_dialog(dlg);
        return TRUE; // the system sets the default focus
    case WM_SAVER_FRAME:
        preview_frame(dlg);
        return TRUE;
    case WM_CLOSE:
        // Handled here in full, so that the dialog manager does not add a Cancel of its own.
        close_dialog(dlg);
        return TRUE;
    case WM_COMMAND:
        return settings_command(dlg, wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
        return settings_spin(dlg, wParam, lParam);
    }
    return FALSE;
}
