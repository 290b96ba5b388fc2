// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KeyCodes.h"
#include "platform/AccelTable.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

TEST(KeyCodes, VirtualKeysOfQtKeys)
{
    const struct
    {
        int key;
        Qt::KeyboardModifiers mods;
        quint32 xKeycode;
        char16_t latin;
        int vk;
    } cases[] = {
        {Qt::Key_A, Qt::NoModifier, 0, 0, 0x41},
        {Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier, 0, 0, 0x5A},
        {Qt::Key_0, Qt::ControlModifier, 0, 0, 0x30},
        {Qt::Key_9, Qt::NoModifier, 0, 0, 0x39},
        {Qt::Key_Escape, Qt::ShiftModifier, 0, 0, 0x1B},
        {Qt::Key_Return, Qt::NoModifier, 0, 0, 0x0D},
        {Qt::Key_Enter, Qt::KeypadModifier, 0, 0, 0x0D},
        {Qt::Key_F1, Qt::NoModifier, 0, 0, 0x70},
        {Qt::Key_F6, Qt::ShiftModifier, 0, 0, 0x75},
        {Qt::Key_F24, Qt::NoModifier, 0, 0, 0x87},
        {Qt::Key_Left, Qt::NoModifier, 0, 0, 0x25},
        {Qt::Key_Backtab, Qt::ShiftModifier, 0, 0, 0x09},
        {Qt::Key_5, Qt::KeypadModifier, 0, 0, 0x65},
        {Qt::Key_Plus, Qt::KeypadModifier, 0, 0, 0x6B},
        {Qt::Key_Space, Qt::NoModifier, 0, 0, 0x20},
        {Qt::Key_Semicolon, Qt::NoModifier, 0, 0, 0xBA},
        {Qt::Key_Minus, Qt::NoModifier, 0, 0, 0xBD},
        // Shift+1 on a US keyboard reports "!": the key is still '1'.
        {Qt::Key_Exclam, Qt::ShiftModifier, 0, 0, 0x31},
        // The same symbol typed without Shift (another layout) is not a digit.
        {Qt::Key_Exclam, Qt::NoModifier, 0, 0, 0},
        // A Cyrillic letter: its Latin meaning from the keymap, else the key's place.
        {0x0424, Qt::ControlModifier, 38, u'A', 0x41},
        {0x0424, Qt::ControlModifier, 38, 0, 0x41},
        {0x042F, Qt::ControlModifier, 52, 0, 0x5A},
        // "&" on a French keyboard's digit row: the keymap knows it as '1'.
        {Qt::Key_Ampersand, Qt::NoModifier, 10, u'1', 0x31},
        {0x00E9, Qt::NoModifier, 0, 0, 0}, // unknown place, no Latin meaning
        {Qt::Key_unknown, Qt::NoModifier, 0, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VirtualKeyFromKey(c.key, c.mods, c.xKeycode, c.latin), c.vk)
            << std::hex << c.key << " mods " << c.mods.toInt();
}

TEST(KeyCodes, AcceleratorsMatchTheExactModifierSet)
{
    const ACCEL accels[] = {
        {FVIRTKEY | FCONTROL, 'A', 1},
        {FVIRTKEY | FCONTROL | FSHIFT, 'A', 2},
        {FVIRTKEY | FALT, 'D', 3},
        {FCONTROL, 'B', 4}, // a character entry: never a key press
    };
    const CAccelTable table(accels, 4);
    EXPECT_EQ(table.FindCommand('A', FCONTROL), 1);
    EXPECT_EQ(table.FindCommand('A', FCONTROL | FSHIFT), 2);
    EXPECT_EQ(table.FindCommand('A', FCONTROL | FALT), -1);
    EXPECT_EQ(table.FindCommand('A', 0), -1);
    EXPECT_EQ(table.FindCommand('D', FALT), 3);
    EXPECT_EQ(table.FindCommand('B', FCONTROL), -1);

    QKeyEvent altD(QEvent::KeyPress, Qt::Key_D, Qt::AltModifier | Qt::MetaModifier);
    EXPECT_EQ(table.FindCommand(&altD), 3) << "keys outside Ctrl, Alt and Shift do not count";
    QKeyEvent keypadCtrlA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(table.FindCommand(&keypadCtrlA), 1);
}
