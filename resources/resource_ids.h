/* Resource identifiers shared by the resource scripts and the program. */
#pragma once

#define IDI_VELTA 100       /* program and window-class icon */
#define IDR_GLYPH_IMAGE 107 /* glyph texture, type "TGA" */
#define IDD_SETTINGS 2003   /* "Velta II Settings" */

#define IDD_CONTROL_MENU 105 /* "Control Menu" */
