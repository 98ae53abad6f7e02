// The scenes' texture slots and the loader that fills them from the program's "TGA" resources.
// Needs a current OpenGL context; main thread only.
#pragma once

#include "core/scenes/tga_decode.h"

constexpr int GLYPH_TEXTURE = 0; // the slot every scene draws with
constexpr int TEXTURE_SLOT_COUNT = 1;

extern TextureImage g_Textures[TEXTURE_SLOT_COUNT];

// Decodes resource id of type "TGA" into a mipmapped texture object in the given slot; on
// failure one message box has been shown and false is returned.
bool LoadTGA(int id, int slot);
