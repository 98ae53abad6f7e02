/* Resource identifiers of the Windows saver's own resources (its name, icon and dialogs),
   shared by the resource scripts and the program. */
#pragma once

#define IDS_DESCRIPTION 1    /* the display name in the screen-saver list */
#define IDI_VELTA 100        /* program and window-class icon */
#define IDD_ABOUT 100        /* "About Velta II" */
#define IDD_CONTROL_MENU 105 /* "Control Menu" */
#define IDD_SETTINGS 2003    /* "Velta II Settings" */

/* Controls of the settings dialog. Module k (1..20) owns enable box IDC_ENABLE_BASE + k and
   preview button IDC_PREVIEW_BASE + k; the .rc spells those forty ids out. */
#define IDC_ABOUT 16
#define IDC_ENABLE_BASE 1000
#define IDC_PREVIEW_BASE 1050
#define IDC_SECONDS_SPIN 1071
#define IDC_SECONDS_EDIT 1072
#define IDC_ENABLE_ALL 1109
#define IDC_DISABLE_ALL 1111
#define IDC_PREVIEW_PANEL 1115
#define IDC_ENABLE_SOUND 1122

/* Controls of the About box. */
#define IDC_ABOUT_VERSION 101
