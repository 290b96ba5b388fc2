// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyCodes.h"

#include "AccelTable.h"
#include "KeyState.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {
struct KeyPair
{
    int qtKey;
    int vk;
};

// Keys that do not type characters.
const KeyPair kSpecialKeys[] = {
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_SysReq, 0x2C},
    {Qt::Key_Clear, 0x0C},
    {Qt::Key_Home, 0x24},
    {Qt::Key_End, 0x23},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Meta, 0x5B},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Menu, 0x5D},
    {Qt::Key_Help, 0x2F},
    {Qt::Key_Back, 0xA6},
    {Qt::Key_Forward, 0xA7},
    {Qt::Key_Refresh, 0xA8},
    {Qt::Key_Stop, 0xA9},
    {Qt::Key_Search, 0xAA},
    {Qt::Key_Favorites, 0xAB},
    {Qt::Key_HomePage, 0xAC},
    {Qt::Key_VolumeMute, 0xAD},
    {Qt::Key_VolumeDown, 0xAE},
    {Qt::Key_VolumeUp, 0xAF},
    {Qt::Key_MediaNext, 0xB0},
    {Qt::Key_MediaPrevious, 0xB1},
    {Qt::Key_MediaStop, 0xB2},
    {Qt::Key_MediaTogglePlayPause, 0xB3},
    {Qt::Key_MediaPlay, 0xB3},
    {Qt::Key_LaunchMail, 0xB4},
};

// Keys of the numeric keypad while it types digits.
const KeyPair kKeypadKeys[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B},   {Qt::Key_Comma, 0x6C},
    {Qt::Key_Minus, 0x6D},    {Qt::Key_Period, 0x6E}, {Qt::Key_Slash, 0x6F},
};

// Punctuation, by the character the key types (US layout codes).
const KeyPair kSymbolKeys[] = {
    {Qt::Key_Space, VK_SPACE},   {Qt::Key_Semicolon, 0xBA},    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},       {Qt::Key_Plus, 0xBB},         {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},        {Qt::Key_Minus, 0xBD},        {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},      {Qt::Key_Greater, 0xBE},      {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},    {Qt::Key_QuoteLeft, 0xC0},    {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB},    {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},         {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},  {Qt::Key_QuoteDbl, 0xDE},
};

// The digits that Shift gives symbols to on a US keyboard.
const KeyPair kShiftedDigits[] = {
    {Qt::Key_Exclam, '1'},     {Qt::Key_At, '2'},       {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},     {Qt::Key_Percent, '5'},  {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},  {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

// Where a key sits on the keyboard, by its X key code, for layouts without Latin letters:
// the key of a US keyboard at the same place.
const KeyPair kPositionKeys[] = {
    {10, '1'}, {11, '2'},  {12, '3'},  {13, '4'},  {14, '5'},  {15, '6'},  {16, '7'},  {17, '8'},
    {18, '9'}, {19, '0'},  {20, 0xBD}, {21, 0xBB}, {24, 'Q'},  {25, 'W'},  {26, 'E'},  {27, 'R'},
    {28, 'T'}, {29, 'Y'},  {30, 'U'},  {31, 'I'},  {32, 'O'},  {33, 'P'},  {34, 0xDB}, {35, 0xDD},
    {38, 'A'}, {39, 'S'},  {40, 'D'},  {41, 'F'},  {42, 'G'},  {43, 'H'},  {44, 'J'},  {45, 'K'},
    {46, 'L'}, {47, 0xBA}, {48, 0xDE}, {49, 0xC0}, {51, 0xDC}, {52, 'Z'},  {53, 'X'},  {54, 'C'},
    {55, 'V'}, {56, 'B'},  {57, 'N'},  {58, 'M'},  {59, 0xBC}, {60, 0xBE}, {61, 0xBF},
};

struct KeyName
{
    int vk;
    const char* pszName;
};

// The names of keys that type no character of their code.
const KeyName kKeyNames[] = {
    {VK_SPACE, "Space"},
    {VK_TAB, "Tab"},
    {VK_ESCAPE, "Esc"},
    {VK_RETURN, "Enter"},
    {VK_BACK, "Backspace"},
    {0x25, "Left"},
    {0x26, "Up"},
    {0x27, "Right"},
    {0x28, "Down"},
    {0x2D, "Ins"},
    {0x2E, "Del"},
    {0x24, "Home"},
    {0x23, "End"},
    {0x21, "PgUp"},
    {0x22, "PgDn"},
    {0xBB, "="},
    {0xBD, "-"},
    {0x6B, "Num +"},
    {0x6D, "Num -"},
};

template <size_t N> int Lookup(const KeyPair (&table)[N], int key)
{
    for (const KeyPair& p : table)
        if (p.qtKey == key)
            return p.vk;
    return 0;
}

bool IsLatinLetterOrDigit(int key)
{
    return (key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9);
}

bool HasXKeycodes()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}
} // namespace

int VirtualKeyFromKey(int nQtKey, Qt::KeyboardModifiers modifiers, quint32 nXKeycode,
                      char16_t latin)
{
    if (modifiers & Qt::KeypadModifier) {
        if (nQtKey >= Qt::Key_0 && nQtKey <= Qt::Key_9)
            return 0x60 + (nQtKey - Qt::Key_0);
        if (const int vk = Lookup(kKeypadKeys, nQtKey))
            return vk;
    }
    if (IsLatinLetterOrDigit(nQtKey))
        return nQtKey;
    if (nQtKey >= 0x01000000) {
        if (nQtKey >= Qt::Key_F1 && nQtKey <= Qt::Key_F24)
            return VK_F1 + (nQtKey - Qt::Key_F1);
        return Lookup(kSpecialKeys, nQtKey);
    }
    // A key that types a character other than a Latin letter or digit.
    if (latin != 0)
        return latin;
    if (nQtKey < 0x80) {
        if (modifiers & Qt::ShiftModifier)
            if (const int vk = Lookup(kShiftedDigits, nQtKey))
                return vk;
        return Lookup(kSymbolKeys, nQtKey);
    }
    return Lookup(kPositionKeys, static_cast<int>(nXKeycode));
}

int VirtualKeyFromEvent(const QKeyEvent* pEvent)
{
    if (pEvent == nullptr)
        return 0;
    const int key = pEvent->key();
    quint32 nXKeycode = 0;
    char16_t latin = 0;
    if (!IsLatinLetterOrDigit(key) && key > 0 && key < 0x01000000 && HasXKeycodes()) {
        nXKeycode = pEvent->nativeScanCode();
        latin = LatinKeyFromXKeycode(nXKeycode);
    }
    return VirtualKeyFromKey(key, pEvent->modifiers(), nXKeycode, latin);
}

quint8 AccelFlagsFromModifiers(Qt::KeyboardModifiers modifiers)
{
    quint8 flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= FSHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= FCONTROL;
    if (modifiers & Qt::AltModifier)
        flags |= FALT;
    return flags;
}

QString ModifierText(quint8 nFlags)
{
    QString text;
    if (nFlags & FCONTROL)
        text += QLatin1String("Ctrl+");
    if (nFlags & FALT)
        text += QLatin1String("Alt+");
    if (nFlags & FSHIFT)
        text += QLatin1String("Shift+");
    return text;
}

QString KeyText(quint8 nFlags, int nVirtKey)
{
    if (nVirtKey <= 0 || nVirtKey > 0xFFFF)
        return QString();
    QString name;
    if (nVirtKey >= VK_F1 && nVirtKey < VK_F1 + 24)
        name = QStringLiteral("F%1").arg(nVirtKey - VK_F1 + 1);
    for (const KeyName& k : kKeyNames)
        if (k.vk == nVirtKey)
            name = QLatin1String(k.pszName);
    if (name.isEmpty())
        name = QChar(static_cast<char16_t>(nVirtKey));
    return ModifierText(nFlags) + name;
}
