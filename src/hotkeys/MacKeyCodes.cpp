#include "hotkeys/MacKeyCodes.h"

#include <Qt>

#include <utility>

namespace knvt {

namespace {

struct KeyName
{
    int macKeyCode;
    std::string_view name;
};

// Resolved against the live keymap by name, never by arithmetic on key codes: the X key code of a name depends on
// the server's keycodes section.
constexpr KeyName kKeyNames[] = {
    {0, "AC01"},   {1, "AC02"},   {2, "AC03"},   {3, "AC04"},   {4, "AC06"},   {5, "AC05"},   {6, "AB01"},
    {7, "AB02"},   {8, "AB03"},   {9, "AB04"},   {10, "LSGT"},  {11, "AB05"},  {12, "AD01"},  {13, "AD02"},
    {14, "AD03"},  {15, "AD04"},  {16, "AD06"},  {17, "AD05"},  {18, "AE01"},  {19, "AE02"},  {20, "AE03"},
    {21, "AE04"},  {22, "AE06"},  {23, "AE05"},  {24, "AE12"},  {25, "AE09"},  {26, "AE07"},  {27, "AE11"},
    {28, "AE08"},  {29, "AE10"},  {30, "AD12"},  {31, "AD09"},  {32, "AD07"},  {33, "AD11"},  {34, "AD08"},
    {35, "AD10"},  {36, "RTRN"},  {37, "AC09"},  {38, "AC07"},  {39, "AC11"},  {40, "AC08"},  {41, "AC10"},
    {42, "BKSL"},  {43, "AB08"},  {44, "AB10"},  {45, "AB06"},  {46, "AB07"},  {47, "AB09"},  {48, "TAB"},
    {49, "SPCE"},  {50, "TLDE"},  {51, "BKSP"},  {53, "ESC"},   {65, "KPDL"},  {67, "KPMU"},  {69, "KPAD"},
    {71, "NMLK"},  {72, "VOL+"},  {73, "VOL-"},  {74, "MUTE"},  {75, "KPDV"},  {76, "KPEN"},  {78, "KPSU"},
    {81, "KPEQ"},  {82, "KP0"},   {83, "KP1"},   {84, "KP2"},   {85, "KP3"},   {86, "KP4"},   {87, "KP5"},
    {88, "KP6"},   {89, "KP7"},   {91, "KP8"},   {92, "KP9"},   {93, "AE13"},  {94, "AB11"},  {122, "FK01"},
    {120, "FK02"}, {99, "FK03"},  {118, "FK04"}, {96, "FK05"},  {97, "FK06"},  {98, "FK07"},  {100, "FK08"},
    {101, "FK09"}, {109, "FK10"}, {103, "FK11"}, {111, "FK12"}, {105, "FK13"}, {107, "FK14"}, {113, "FK15"},
    {106, "FK16"}, {64, "FK17"},  {79, "FK18"},  {80, "FK19"},  {90, "FK20"},  {114, "INS"},  {115, "HOME"},
    {119, "END"},  {116, "PGUP"}, {121, "PGDN"}, {117, "DELE"}, {123, "LEFT"}, {124, "RGHT"}, {125, "DOWN"},
    {126, "UP"},   {114, "HELP"},
};

// US key positions of the Qt keys a key event without a scan code can carry.
constexpr std::pair<int, int> kQtKeys[] = {
    {Qt::Key_A, 0},
    {Qt::Key_S, 1},
    {Qt::Key_D, 2},
    {Qt::Key_F, 3},
    {Qt::Key_H, 4},
    {Qt::Key_G, 5},
    {Qt::Key_Z, 6},
    {Qt::Key_X, 7},
    {Qt::Key_C, 8},
    {Qt::Key_V, 9},
    {Qt::Key_B, 11},
    {Qt::Key_Q, 12},
    {Qt::Key_W, 13},
    {Qt::Key_E, 14},
    {Qt::Key_R, 15},
    {Qt::Key_Y, 16},
    {Qt::Key_T, 17},
    {Qt::Key_1, 18},
    {Qt::Key_Exclam, 18},
    {Qt::Key_2, 19},
    {Qt::Key_At, 19},
    {Qt::Key_3, 20},
    {Qt::Key_NumberSign, 20},
    {Qt::Key_4, 21},
    {Qt::Key_Dollar, 21},
    {Qt::Key_6, 22},
    {Qt::Key_AsciiCircum, 22},
    {Qt::Key_5, 23},
    {Qt::Key_Percent, 23},
    {Qt::Key_Equal, 24},
    {Qt::Key_Plus, 24},
    {Qt::Key_9, 25},
    {Qt::Key_ParenLeft, 25},
    {Qt::Key_7, 26},
    {Qt::Key_Ampersand, 26},
    {Qt::Key_Minus, 27},
    {Qt::Key_Underscore, 27},
    {Qt::Key_8, 28},
    {Qt::Key_Asterisk, 28},
    {Qt::Key_0, 29},
    {Qt::Key_ParenRight, 29},
    {Qt::Key_BracketRight, 30},
    {Qt::Key_BraceRight, 30},
    {Qt::Key_O, 31},
    {Qt::Key_U, 32},
    {Qt::Key_BracketLeft, 33},
    {Qt::Key_BraceLeft, 33},
    {Qt::Key_I, 34},
    {Qt::Key_P, 35},
    {Qt::Key_Return, 36},
    {Qt::Key_L, 37},
    {Qt::Key_J, 38},
    {Qt::Key_Apostrophe, 39},
    {Qt::Key_QuoteDbl, 39},
    {Qt::Key_K, 40},
    {Qt::Key_Semicolon, 41},
    {Qt::Key_Colon, 41},
    {Qt::Key_Backslash, 42},
    {Qt::Key_Bar, 42},
    {Qt::Key_Comma, 43},
    {Qt::Key_Less, 43},
    {Qt::Key_Slash, 44},
    {Qt::Key_Question, 44},
    {Qt::Key_N, 45},
    {Qt::Key_M, 46},
    {Qt::Key_Period, 47},
    {Qt::Key_Greater, 47},
    {Qt::Key_Tab, 48},
    {Qt::Key_Backtab, 48},
    {Qt::Key_Space, 49},
    {Qt::Key_QuoteLeft, 50},
    {Qt::Key_AsciiTilde, 50},
    {Qt::Key_Backspace, 51},
    {Qt::Key_Escape, 53},
    {Qt::Key_Clear, 71},
    {Qt::Key_Enter, 76},
    {Qt::Key_F1, 122},
    {Qt::Key_F2, 120},
    {Qt::Key_F3, 99},
    {Qt::Key_F4, 118},
    {Qt::Key_F5, 96},
    {Qt::Key_F6, 97},
    {Qt::Key_F7, 98},
    {Qt::Key_F8, 100},
    {Qt::Key_F9, 101},
    {Qt::Key_F10, 109},
    {Qt::Key_F11, 103},
    {Qt::Key_F12, 111},
    {Qt::Key_Help, 114},
    {Qt::Key_Insert, 114},
    {Qt::Key_Home, 115},
    {Qt::Key_PageUp, 116},
    {Qt::Key_Delete, 117},
    {Qt::Key_End, 119},
    {Qt::Key_PageDown, 121},
    {Qt::Key_Left, 123},
    {Qt::Key_Right, 124},
    {Qt::Key_Down, 125},
    {Qt::Key_Up, 126},
};

constexpr std::pair<int, int> kQtFunctionKeysBeyondTwelve[] = {
    {Qt::Key_F13, 105}, {Qt::Key_F14, 107}, {Qt::Key_F15, 113}, {Qt::Key_F16, 106},
    {Qt::Key_F17, 64},  {Qt::Key_F18, 79},  {Qt::Key_F19, 80},  {Qt::Key_F20, 90},
};

constexpr std::pair<int, int> kQtKeypadKeys[] = {
    {Qt::Key_Period, 65}, {Qt::Key_Comma, 65}, {Qt::Key_Asterisk, 67}, {Qt::Key_Plus, 69},  {Qt::Key_Slash, 75},
    {Qt::Key_Enter, 76},  {Qt::Key_Minus, 78}, {Qt::Key_Equal, 81},    {Qt::Key_0, 82},     {Qt::Key_1, 83},
    {Qt::Key_2, 84},      {Qt::Key_3, 85},     {Qt::Key_4, 86},        {Qt::Key_5, 87},     {Qt::Key_6, 88},
    {Qt::Key_7, 89},      {Qt::Key_8, 91},     {Qt::Key_9, 92},        {Qt::Key_Clear, 71},
};

} // namespace

std::string_view xkbKeyNameForMacKeyCode(int macKeyCode)
{
    for (const KeyName &key : kKeyNames) {
        if (key.macKeyCode == macKeyCode && !key.name.empty())
            return key.name;
    }
    return {};
}

std::optional<int> macKeyCodeForXkbKeyName(std::string_view name)
{
    if (name.empty())
        return std::nullopt;
    for (const KeyName &key : kKeyNames) {
        if (key.name == name)
            return key.macKeyCode;
    }
    return std::nullopt;
}

bool macKeyCodeCarriesFunctionBit(int macKeyCode)
{
    switch (macKeyCode) {
    case 122:
    case 120:
    case 99:
    case 118:
    case 96:
    case 97:
    case 98:
    case 100:
    case 101:
    case 109:
    case 103:
    case 111:
    case 105:
    case 107:
    case 113:
    case 106:
    case 64:
    case 79:
    case 80:
    case 90:
    case 123:
    case 124:
    case 125:
    case 126:
    case 115:
    case 119:
    case 116:
    case 121:
    case 114:
    case 71: return true;
    default: return false;
    }
}

quint64 cocoaFlagsFromQtModifiers(Qt::KeyboardModifiers modifiers)
{
    quint64 flags = 0;
    if (modifiers & Qt::ControlModifier)
        flags |= kCocoaCommand;
    if (modifiers & Qt::AltModifier)
        flags |= kCocoaOption;
    if (modifiers & Qt::MetaModifier)
        flags |= kCocoaControl;
    if (modifiers & Qt::ShiftModifier)
        flags |= kCocoaShift;
    return flags;
}

std::optional<int> macKeyCodeForQtKey(int qtKey, bool keypad)
{
    if (keypad) {
        for (const auto &[key, code] : kQtKeypadKeys) {
            if (key == qtKey)
                return code;
        }
    }
    for (const auto &[key, code] : kQtKeys) {
        if (key == qtKey)
            return code;
    }
    for (const auto &[key, code] : kQtFunctionKeysBeyondTwelve) {
        if (key == qtKey)
            return code;
    }
    return std::nullopt;
}

} // namespace knvt
