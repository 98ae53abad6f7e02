// Module parameter tables, the live view values and the built-in defaults of every module.
#include "core/settings/module_params.h"

#include <cstring>

ModuleParams g_Mods[MODULE_COUNT + 1];
ModuleParams g_ModDefaults[MODULE_COUNT + 1];

float g_fDepth = 40.0f, g_fHorz = 0.0f, g_fVert = 0.0f;
float g_fXrot = -90.0f, g_fYrot = 0.0f, g_fZrot = 0.0f;
float g_fSpeed = 0.5f;
float g_fPhase = 0.0f;
int g_nCycleTime = 15;
bool g_bSound = false;

namespace {

const ModuleParams GENERAL_DEFAULTS = {40.0f, 0.0f, 0.0f, -90.0f, 0.0f, 0.0f, 0.5f, 1};

struct ModuleDefault {
    const char* name;
    ModuleParams params;
};

// clang-format off
const ModuleDefault MODULE_DEFAULTS[MODULE_COUNT + 1] = {
    {"",           GENERAL_DEFAULTS},
    {"Shechen",    {50.0f,  0.0f,  0.0f,   -90.0f,  0.0f,   0.0f,  0.5f,  1}},
    {"Jokhang",    GENERAL_DEFAULTS},
    {"Mindroling", {68.0f,  0.0f,  0.0f,   -90.0f,  0.0f,   0.0f,  0.5f,  1}},
    {"Tsurphu",    {25.0f,  0.0f,  -1.25f, 0.0f,    90.0f,  0.0f,  0.5f,  1}},
    {"Palpung",    {22.0f,  -6.0f, -4.0f,  -157.7f, 208.6f, 0.0f,  0.5f,  1}},
    {"Kathok",     GENERAL_DEFAULTS},
    {"Samdrup",    {25.0f,  -7.0f, 12.15f, -90.0f,  90.0f,  0.0f,  0.5f,  1}},
    {"Drepung",    {14.0f,  0.0f,  0.0f,   -90.0f,  0.0f,   0.0f,  0.5f,  1}},
    {"Sera",       {30.0f,  0.0f,  0.0f,   0.0f,    0.0f,   0.0f,  0.5f,  1}},
    {"Dzogchen",   {45.0f,  0.0f,  0.0f,   -90.0f,  0.0f,   0.0f,  0.3f,  1}},
    {"Menri",      {27.9f,  -5.0f, -2.0f,  -19.5f,  -37.5f, 10.5f, 0.5f,  1}},
    {"Samye",      {60.0f,  0.0f,  0.0f,   0.0f,    0.0f,   0.0f,  0.3f,  1}},
    {"Dorje Drak", {50.1f,  2.09f, 4.0f,   -46.5f,  18.0f,  52.5f, 0.3f,  1}},
    {"Nyingma",    {45.8f,  0.0f,  0.0f,   0.0f,    0.0f,   0.0f,  0.5f,  1}},
    {"Kagyu",      {34.5f,  0.0f,  -3.0f,  0.0f,    0.0f,   0.0f,  0.5f,  1}},
    {"Sakya",      {29.8f,  0.0f,  -0.4f,  30.0f,   0.0f,   0.0f,  0.3f,  1}},
    {"Surmang",    {41.0f,  0.0f,  -1.15f, 39.0f,   0.0f,   0.0f,  0.3f,  1}},
    {"Ganden",     {15.0f,  0.0f,  0.2f,   -88.5f,  0.0f,   34.5f, 0.5f,  1}},
    {"Palyul",     {12.0f,  0.0f,  0.38f,  -30.0f,  0.0f,   0.0f,  0.18f, 1}},
    {"Gelug",      {16.55f, 0.0f,  -4.4f,  -33.0f,  0.0f,   0.0f,  0.43f, 1}},
};
// clang-format on

bool is_module(int k) {
    return k >= 1 && k <= MODULE_COUNT;
}

void copy_to_live(const ModuleParams& m) {
    g_fDepth = m.depth;
    g_fHorz = m.horz;
    g_fVert = m.vert;
    g_fXrot = m.xrot;
    g_fYrot = m.yrot;
    g_fZrot = m.zrot;
    g_fSpeed = m.speed;
}

} // namespace

const char* module_name(int k) {
    return is_module(k) ? MODULE_DEFAULTS[k].name : "";
}

void init_module_defaults() {
    std::memset(g_Mods, 0, sizeof g_Mods);
    for (int k = 0; k <= MODULE_COUNT; ++k)
        g_Mods[k] = MODULE_DEFAULTS[k].params;
    std::memcpy(g_ModDefaults, g_Mods, sizeof g_Mods);
}

void load_module_params(int k) {
    if (is_module(k))
        copy_to_live(g_Mods[k]);
    g_fPhase = 0.0f;
}

void store_module_params(int k) {
    if (!is_module(k))
        return;
    ModuleParams& m = g_Mods[k];
    m.depth = g_fDepth;
    m.horz = g_fHorz;
    m.vert = g_fVert;
    m.xrot = g_fXrot;
    m.yrot = g_fYrot;
    m.zrot = g_fZrot;
    m.speed = g_fSpeed;
}

void restore_module_defaults(int k) {
    if (is_module(k))
        copy_to_live(g_ModDefaults[k]);
}
