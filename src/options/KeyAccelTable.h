// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccelTable.h"

#include <QString>

#include <optional>
#include <vector>

class QKeyEvent;
class QObject;
class QWidget;

// One key binding, 8 bytes, laid out the same in memory and in the registry (little-endian).
struct KEYACCELENTRY
{
    quint8 fVirt;      // FVIRTKEY | FNOINVERT, and FSHIFT, FCONTROL, FALT for the modifiers
    quint8 bReserved;  // 0
    quint16 wKey;      // virtual-key code
    quint16 wCommand;  // command id
    quint16 wReserved; // 0
};
static_assert(sizeof(KEYACCELENTRY) == 8, "KEYACCELENTRY is stored as 8 bytes");

// A command a key can be bound to, with the name the key settings show.
struct KEYACCELCOMMAND
{
    quint16 wCommand;
    const char16_t* pszName;
};

// The user's key bindings: stored as "KeyAccelCount" and "KeyAccelTable" under
// Software\Qorval\nuvBrowser\Options, turned into an accelerator table that sees key presses
// before the fixed accelerators, and written into the menus as key hints.
class CKeyAccelTable
{
public:
    static constexpr int kDefaultCount = 16;
    static constexpr int kMaxStoredCount = 4096; // a larger stored count is a damaged value

    CKeyAccelTable();
    virtual ~CKeyAccelTable();
    CKeyAccelTable(const CKeyAccelTable&) = delete;
    CKeyAccelTable& operator=(const CKeyAccelTable&) = delete;

    // Reads the entries from the registry; false when the defaults were taken instead.
    bool LoadTable();
    // Writes the entries when they were changed; true when both values were written.
    bool SaveTable();

    // The index of the first entry with these flags (FVIRTKEY | FNOINVERT implied), key and,
    // when given, command; -1 when none.
    int FindEntry(int nFlags, int nKey, int nCommand = 0) const;
    // Binds a key combination to a command, replacing the combination's earlier binding.
    bool SetEntry(int nFlags, int nKey, int nCommand);
    // Deletes the entry with exactly these values; the table counts as changed either way.
    bool RemoveEntry(int nFlags, int nKey, int nCommand);

    int GetEntryCount() const;
    const KEYACCELENTRY* GetEntries() const;
    bool IsModified() const { return m_bModified; }

    // (Re)creates the accelerator table from the entries; false when it could not be made
    // (no entries).
    bool BuildAccelerators();
    // On a match of the key press, sends the bound command to the window; true when matched.
    bool TranslateKey(QObject* pWindow, const QKeyEvent* pMsg) const;
    // Whether TranslateKey would match this key press.
    bool MatchesKey(const QKeyEvent* pMsg) const;

    static QString GetCommandName(int nCommand);
    static const KEYACCELCOMMAND* GetCommandTable();
    static int GetCommandTableSize();
    static const KEYACCELENTRY* GetDefaultEntries();

    // The key combination as menus and the key settings show it: "Ctrl+", "Alt+", "Shift+"
    // for the modifiers, in this order, then the key code written as one character.
    static QString GetKeyText(const KEYACCELENTRY& entry);
    // Writes each bound key after a tab into the text of its command's menu item.
    void DecorateMenu(QWidget* pMenu) const;

    static const char* const kRegistryKey; // Software\Qorval\nuvBrowser\Options

private:
    bool TakeDefaults();

    bool m_bModified = false;
    int m_nCount = 0;
    std::optional<std::vector<KEYACCELENTRY>> m_pEntries; // none until loaded
    std::optional<CAccelTable> m_hAccel;
};
