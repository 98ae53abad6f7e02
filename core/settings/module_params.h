// The twenty modules' view parameter records, their built-in defaults, the live view values
// of the module on screen and the copies between them. Main (user-interface) thread only.
#pragma once

#include <cstdint>

constexpr int MODULE_COUNT = 20;

// Speed bounds applied wherever a speed comes from the registry or the keyboard.
constexpr float SPEED_MIN = 0.0625f;
constexpr float SPEED_MAX = 10.0f;

struct ModuleParams {
    float depth; // distance from the eye; scenes translate by -depth along z
    float horz;  // shift along x, positive is right
    float vert;  // shift along y, positive is up
    float xrot;  // degrees
    float yrot;  // degrees
    float zrot;  // degrees
    float speed; // added to g_fPhase per drawn frame
    uint8_t active;
};

// Entry 0 belongs to no module: it holds the general defaults and is never shown or saved.
extern ModuleParams g_Mods[MODULE_COUNT + 1];
extern ModuleParams g_ModDefaults[MODULE_COUNT + 1];

// Live view values of the module on screen; authoritative until stored into its record.
extern float g_fDepth, g_fHorz, g_fVert, g_fXrot, g_fYrot, g_fZrot, g_fSpeed;
extern float g_fPhase;   // shared animation phase, degrees
extern int g_nCycleTime; // seconds a module stays on screen
extern bool g_bSound;

// Name shown on module k's preview button; "" for k outside 1..20.
const char* module_name(int k);

// Builds the defaults into g_Mods and copies all 21 entries into g_ModDefaults.
void init_module_defaults();
// Record k -> live values (1 <= k <= 20); always resets g_fPhase to 0.
void load_module_params(int k);
// Live values -> record k (1 <= k <= 20); never touches active.
void store_module_params(int k);
// Defaults of module k -> live values; keeps the phase running and leaves g_Mods alone.
void restore_module_defaults(int k);
