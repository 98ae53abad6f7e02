/* Identifiers of the data every program embeds: the glyph image. The tune is found by its name,
   "TESTOGG". Shared by the Windows resource script and the programs' lookups. */
#pragma once

#define IDR_GLYPH_IMAGE 107 /* glyph texture, type "TGA" */
