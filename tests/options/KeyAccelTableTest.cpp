// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/KeyAccelTable.h"
#include "TempHome.h"
#include "commands/CommandRouter.h"
#include "platform/CommandEvent.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "res/Resource.h"
#include "res/Resources.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenuBar>
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {
constexpr int kCtrl = FCONTROL;
const QString kKey = QString::fromLatin1(CKeyAccelTable::kRegistryKey);

// Collects the commands that accelerators send to it.
class CCommandSink : public QObject
{
public:
    bool event(QEvent* e) override
    {
        if (e->type() == CCommandEvent::EventType()) {
            commands.push_back(static_cast<CCommandEvent*>(e)->CommandId());
            return true;
        }
        return QObject::event(e);
    }
    std::vector<int> commands;
};

QByteArray Entry(quint8 flags, quint16 key, quint16 cmd)
{
    const char bytes[8] = {static_cast<char>(flags),
                           0,
                           static_cast<char>(key & 0xFF),
                           static_cast<char>(key >> 8),
                           static_cast<char>(cmd & 0xFF),
                           static_cast<char>(cmd >> 8),
                           0,
                           0};
    return QByteArray(bytes, 8);
}

class KeyAccelTableTest : public ::testing::Test
{
protected:
    void Store(quint32 count, const QByteArray& table)
    {
        CRegKey key;
        ASSERT_TRUE(key.Create(kKey));
        ASSERT_TRUE(key.SetDword(QStringLiteral("KeyAccelCount"), count));
        if (!table.isNull()) {
            ASSERT_TRUE(key.SetBinary(QStringLiteral("KeyAccelTable"), table));
        }
    }
    QByteArray StoredTable() const
    {
        RegValue v;
        return CRegistryStore().QueryValue(kKey, QStringLiteral("KeyAccelTable"), &v)
                   ? v.data
                   : QByteArray();
    }
    static void ExpectDefaults(const CKeyAccelTable& t)
    {
        ASSERT_EQ(t.GetEntryCount(), CKeyAccelTable::kDefaultCount);
        const KEYACCELENTRY* e = t.GetEntries();
        const KEYACCELENTRY* d = CKeyAccelTable::GetDefaultEntries();
        for (int i = 0; i < CKeyAccelTable::kDefaultCount; ++i) {
            EXPECT_EQ(e[i].fVirt, d[i].fVirt) << i;
            EXPECT_EQ(e[i].wKey, d[i].wKey) << i;
            EXPECT_EQ(e[i].wCommand, d[i].wCommand) << i;
        }
    }
    static QString MenuText(QMenuBar& bar, int id)
    {
        QAction* a = CCommandRouter::FindMenuItem(&bar, id);
        return a ? a->text() : QStringLiteral("<missing>");
    }

    CTempHome m_home;
};
} // namespace

TEST_F(KeyAccelTableTest, DefaultRowsAndCommandNames)
{
    const KEYACCELENTRY* d = CKeyAccelTable::GetDefaultEntries();
    const struct
    {
        quint8 flags;
        quint16 key, cmd;
    } rows[] = {{0x0B, 0x41, 32826},
                {0x0B, 0x42, 32827},
                {0x0B, 0x44, 32834},
                {0x0B, 0x4A, 32830},
                {0x0F, 0x4A, 32831},
                {0x0B, 0x4B, 32832},
                {0x0F, 0x4B, 32833},
                {0x0B, 0x4E, 32775},
                {0x0B, 0x4F, 32804},
                {0x0B, 0x53, 32805},
                {0x0B, 0x50, 32776},
                {0x0B, 0x54, 1016},
                {0x0B, 0x5A, 32774},
                {0x0B, 0x46, 32784},
                {0x0B, 0x4D, 32785},
                // Added after the first fifteen: Ctrl+Shift+Z, Reopen Closed Window.
                {0x0F, 0x5A, 32854}};
    ASSERT_EQ(CKeyAccelTable::kDefaultCount, int(std::size(rows)));
    for (int i = 0; i < CKeyAccelTable::kDefaultCount; ++i) {
        EXPECT_EQ(d[i].fVirt, rows[i].flags) << i;
        EXPECT_EQ(d[i].wKey, rows[i].key) << i;
        EXPECT_EQ(d[i].wCommand, rows[i].cmd) << i;
        EXPECT_EQ(d[i].bReserved, 0);
        EXPECT_EQ(d[i].wReserved, 0);
    }

    ASSERT_EQ(CKeyAccelTable::GetCommandTableSize(), 35);
    const KEYACCELCOMMAND* c = CKeyAccelTable::GetCommandTable();
    EXPECT_EQ(c[0].wCommand, 32826);
    EXPECT_EQ(QString::fromUtf16(c[0].pszName), QStringLiteral("Focus to Favorites"));
    EXPECT_EQ(c[32].wCommand, 32844);
    EXPECT_EQ(QString::fromUtf16(c[32].pszName), QStringLiteral("Move to Next Window"));
    EXPECT_EQ(c[33].wCommand, 32855);
    EXPECT_EQ(c[34].wCommand, 32854);
    EXPECT_EQ(CKeyAccelTable::GetCommandName(32845), QStringLiteral("Status Bar"));
    EXPECT_EQ(CKeyAccelTable::GetCommandName(57665), QStringLiteral("Exit"));
    EXPECT_EQ(CKeyAccelTable::GetCommandName(32773), QString());
    EXPECT_EQ(CKeyAccelTable::GetCommandName(0), QString());
}

TEST_F(KeyAccelTableTest, AllCommandNamesInTheirOrder)
{
    const struct
    {
        int command;
        const char* name;
    } rows[] = {
        {32826, "Focus to Favorites"},
        {32827, "Focus to Browser"},
        {32834, "Focus to Address Bar"},
        {32837, "Focus to New Active Window"},
        {32830, "Images ON-display"},
        {32831, "Images OFF-display"},
        {32832, "Sound ON"},
        {32833, "Sound OFF"},
        {32775, "Make New Window"},
        {32804, "Open Internet Address"},
        {32805, "Save As"},
        {32776, "Print"},
        {1016, "Add to Favorites"},
        {32840, "Organize Favorites"},
        {32839, "Refresh Favorites"},
        {32778, "Properties"},
        {32779, "Work Offline"},
        {57665, "Exit"},
        {32774, "Close"},
        {32783, "Select All"},
        {32784, "Find"},
        {32829, "Favorites"},
        {32785, "Address Bar"},
        {32845, "Status Bar"},
        {32796, "Internet Options"},
        {32835, "nuvBrowser Options"},
        {32787, "Refresh"},
        {32846, "View Source"},
        {32797, "Back"},
        {32798, "Forward"},
        {32802, "History"},
        {32843, "Move to Previous Window"},
        {32844, "Move to Next Window"},
        {32855, "Downloads"},
        {32854, "Reopen Closed Window"},
    };
    ASSERT_EQ(CKeyAccelTable::GetCommandTableSize(), int(std::size(rows)));
    const KEYACCELCOMMAND* table = CKeyAccelTable::GetCommandTable();
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(table[i].wCommand, rows[i].command) << "row " << i + 1;
        EXPECT_EQ(QString::fromUtf16(table[i].pszName), QString::fromUtf8(rows[i].name))
            << "row " << i + 1;
        EXPECT_EQ(CKeyAccelTable::GetCommandName(rows[i].command), QString::fromUtf8(rows[i].name))
            << rows[i].command;
    }
}

TEST_F(KeyAccelTableTest, AFailedSaveReportsFailureAndLeavesTheStoreAlone)
{
    CKeyAccelTable t;
    t.LoadTable();
    ASSERT_TRUE(t.SetEntry(FCONTROL, 0x41, 32845));
    ASSERT_TRUE(t.SaveTable());
    const QString registry = CRegistryStore::DefaultPath();
    QFile stored(registry);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    const QByteArray before = stored.readAll();
    stored.close();

    // The lock file beside the store cannot be opened: a folder takes its name.
    ASSERT_TRUE(QFile::remove(registry + ".lock"));
    ASSERT_TRUE(QDir().mkpath(registry + ".lock/blocked"));
    ASSERT_TRUE(t.SetEntry(FCONTROL, 0x42, 32846));
    EXPECT_FALSE(t.SaveTable());
    EXPECT_FALSE(t.IsModified()) << "cleared even though the write failed";
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), before);
    stored.close();
    EXPECT_FALSE(t.SaveTable()) << "nothing to write until the table changes again";

    // The bindings held are all written by the next save that can write.
    ASSERT_TRUE(QDir(registry + ".lock").removeRecursively());
    ASSERT_TRUE(t.SetEntry(FCONTROL, 0x43, 32787));
    ASSERT_TRUE(t.SaveTable());
    CKeyAccelTable u;
    ASSERT_TRUE(u.LoadTable());
    EXPECT_EQ(u.FindEntry(FCONTROL, 0x42, 32846), 1);
    EXPECT_EQ(u.FindEntry(FCONTROL, 0x43, 32787), CKeyAccelTable::kDefaultCount);
}

TEST_F(KeyAccelTableTest, UnloadedTableBehavesAsDefaults)
{
    CKeyAccelTable t;
    ExpectDefaults(t);
    EXPECT_EQ(t.FindEntry(kCtrl, 0x41), -1); // no entries held yet
    EXPECT_FALSE(t.IsModified());
}

TEST_F(KeyAccelTableTest, EmptyRegistryGivesDefaultsAndWritesNothing)
{
    CKeyAccelTable t;
    EXPECT_FALSE(t.LoadTable());
    ExpectDefaults(t);
    EXPECT_EQ(t.FindEntry(kCtrl, 0x54), 11);
    EXPECT_FALSE(QFile::exists(m_home.RegistryPath()));
    EXPECT_FALSE(t.SaveTable()); // not modified: the registry stays untouched
    EXPECT_FALSE(QFile::exists(m_home.RegistryPath()));
}

TEST_F(KeyAccelTableTest, StoredTables)
{
    constexpr int kDefault = CKeyAccelTable::kDefaultCount;
    const QByteArray ctrlAltA = Entry(0x1B, 0x41, 32845);
    const QByteArray two = ctrlAltA + Entry(0x0B, 0x42, 32787);
    const struct
    {
        const char* what;
        quint32 count;
        QByteArray table;
        bool loaded;
        int entries;
    } cases[] = {
        {"exact", 2, two, true, 2},
        {"short table: the rest stays zero", 2, ctrlAltA, true, 2},
        {"table longer than the count", 1, two, false, kDefault},
        {"count 0", 0, two, false, kDefault},
        {"negative count", 0xFFFFFFFFu, two, false, kDefault},
        {"huge count", 0x7FFFFFFFu, two, false, kDefault},
        {"count just above the limit", 4097, two, false, kDefault},
        {"largest count", 4096, two, true, 4096},
        {"no table", 2, QByteArray(), false, kDefault},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CRegistryStore().DeleteValue(kKey, QStringLiteral("KeyAccelTable"));
        Store(c.count, c.table);
        CKeyAccelTable t;
        EXPECT_EQ(t.LoadTable(), c.loaded);
        ASSERT_EQ(t.GetEntryCount(), c.entries);
        if (!c.loaded) {
            ExpectDefaults(t);
            continue;
        }
        const KEYACCELENTRY* e = t.GetEntries();
        EXPECT_EQ(e[0].fVirt, 0x1B);
        EXPECT_EQ(e[0].wKey, 0x41);
        EXPECT_EQ(e[0].wCommand, 32845);
        if (c.table.size() < c.entries * 8) {
            EXPECT_EQ(e[c.entries - 1].fVirt, 0);
            EXPECT_EQ(e[c.entries - 1].wKey, 0);
            EXPECT_EQ(e[c.entries - 1].wCommand, 0);
        }
        EXPECT_FALSE(t.IsModified());
    }
}

TEST_F(KeyAccelTableTest, ATableStoredBeforeTheNewDefaultRowsReadsAsItWas)
{
    // The first fifteen defaults, stored by a browser that had no others.
    QByteArray table;
    const KEYACCELENTRY* d = CKeyAccelTable::GetDefaultEntries();
    for (int i = 0; i < 15; ++i)
        table += Entry(d[i].fVirt, d[i].wKey, d[i].wCommand);
    Store(15, table);
    CKeyAccelTable t;
    EXPECT_TRUE(t.LoadTable());
    ASSERT_EQ(t.GetEntryCount(), 15);
    EXPECT_EQ(t.FindEntry(FCONTROL, 0x5A, ID_FILE_CLOSE), 12);
    EXPECT_EQ(t.FindEntry(FCONTROL | FSHIFT, 0x5A), -1) << "the user's table is not changed";
    EXPECT_FALSE(t.IsModified());
    // Binding the new command there works as for any other.
    ASSERT_TRUE(t.SetEntry(FCONTROL | FSHIFT, 0x5A, ID_FILE_REOPEN_CLOSED));
    ASSERT_TRUE(t.SaveTable());
    CKeyAccelTable u;
    EXPECT_TRUE(u.LoadTable());
    EXPECT_EQ(u.FindEntry(FCONTROL | FSHIFT, 0x5A, ID_FILE_REOPEN_CLOSED), 15);
}

TEST_F(KeyAccelTableTest, SaveWritesBothValuesOnlyWhenModified)
{
    CKeyAccelTable t;
    t.LoadTable();
    ASSERT_TRUE(t.SetEntry(FCONTROL | FALT, 0x41, 32845));
    EXPECT_TRUE(t.IsModified());
    EXPECT_TRUE(t.SaveTable());
    EXPECT_FALSE(t.IsModified());

    RegValue count;
    ASSERT_TRUE(CRegistryStore().QueryValue(kKey, QStringLiteral("KeyAccelCount"), &count));
    EXPECT_EQ(count.type, static_cast<quint32>(REG_DWORD));
    EXPECT_EQ(count.dword, quint32(CKeyAccelTable::kDefaultCount + 1));
    const QByteArray table = StoredTable();
    ASSERT_EQ(table.size(), (CKeyAccelTable::kDefaultCount + 1) * 8);
    EXPECT_EQ(table.left(8), Entry(0x0B, 0x41, 32826));
    EXPECT_EQ(table.right(8), Entry(0x1B, 0x41, 32845));

    // Unchanged since the save: nothing is written.
    CRegistryStore().DeleteValue(kKey, QStringLiteral("KeyAccelTable"));
    EXPECT_FALSE(t.SaveTable());
    EXPECT_TRUE(StoredTable().isEmpty());

    // What was saved comes back.
    t.SetEntry(FCONTROL | FALT, 0x41, 32845);
    ASSERT_TRUE(t.SaveTable());
    CKeyAccelTable u;
    EXPECT_TRUE(u.LoadTable());
    ASSERT_EQ(u.GetEntryCount(), CKeyAccelTable::kDefaultCount + 1);
    EXPECT_EQ(u.FindEntry(FCONTROL | FALT, 0x41, 32845), CKeyAccelTable::kDefaultCount);
}

TEST_F(KeyAccelTableTest, SaveOfAnEmptiedTableWritesTheCountOnly)
{
    CKeyAccelTable t;
    t.LoadTable();
    const KEYACCELENTRY* d = CKeyAccelTable::GetDefaultEntries();
    for (int i = 0; i < CKeyAccelTable::kDefaultCount; ++i)
        ASSERT_TRUE(t.RemoveEntry(d[i].fVirt, d[i].wKey, d[i].wCommand));
    EXPECT_EQ(t.GetEntryCount(), 0);
    EXPECT_FALSE(t.SaveTable());
    RegValue count;
    ASSERT_TRUE(CRegistryStore().QueryValue(kKey, QStringLiteral("KeyAccelCount"), &count));
    EXPECT_EQ(count.dword, 0u);
    CKeyAccelTable u;
    EXPECT_FALSE(u.LoadTable()); // a count of 0 gives the defaults
    ExpectDefaults(u);
}

TEST_F(KeyAccelTableTest, FindSetRemove)
{
    CKeyAccelTable t;
    t.LoadTable();
    // Flags are compared with FVIRTKEY | FNOINVERT added; the command narrows the search.
    EXPECT_EQ(t.FindEntry(FCONTROL, 0x4A), 3);
    EXPECT_EQ(t.FindEntry(0x0B, 0x4A), 3);
    EXPECT_EQ(t.FindEntry(FCONTROL | FSHIFT, 0x4A), 4);
    EXPECT_EQ(t.FindEntry(FCONTROL, 0x4A, 32831), -1);
    EXPECT_EQ(t.FindEntry(FALT, 0x4A), -1);

    // Ctrl+A re-bound: row 1 is replaced, the count stays.
    ASSERT_TRUE(t.SetEntry(FCONTROL, 0x41, 32804));
    EXPECT_EQ(t.GetEntryCount(), CKeyAccelTable::kDefaultCount);
    EXPECT_EQ(t.GetEntries()[0].wCommand, 32804);
    EXPECT_EQ(t.GetEntries()[0].fVirt, 0x0B);

    // Ctrl+Alt+A is a new combination: appended with flags 0x1B.
    ASSERT_TRUE(t.SetEntry(FCONTROL | FALT, 0x41, 32845));
    const int nNew = CKeyAccelTable::kDefaultCount;
    ASSERT_EQ(t.GetEntryCount(), nNew + 1);
    EXPECT_EQ(t.GetEntries()[nNew].fVirt, 0x1B);
    EXPECT_EQ(t.GetEntries()[nNew].wKey, 0x41);
    EXPECT_EQ(t.GetEntries()[nNew].wCommand, 32845);
}

TEST_F(KeyAccelTableTest, RemoveMarksModifiedEvenWhenNothingMatches)
{
    CKeyAccelTable t;
    t.LoadTable();
    EXPECT_FALSE(t.RemoveEntry(FCONTROL, 0x41, 32827)); // row 1 names 32826
    EXPECT_TRUE(t.IsModified());
    const int nDefault = CKeyAccelTable::kDefaultCount;
    EXPECT_EQ(t.GetEntryCount(), nDefault);

    ASSERT_TRUE(t.RemoveEntry(FCONTROL, 0x54, 1016)); // row 12, Ctrl+T
    EXPECT_EQ(t.GetEntryCount(), nDefault - 1);
    EXPECT_EQ(t.GetEntries()[11].wKey, 0x5A); // the later rows moved up
    EXPECT_EQ(t.GetEntries()[13].wKey, 0x4D);
    EXPECT_EQ(t.FindEntry(FCONTROL, 0x54), -1);

    // A new entry after a removal goes right after the remaining ones.
    ASSERT_TRUE(t.SetEntry(FALT, 0x54, 1016));
    EXPECT_EQ(t.GetEntryCount(), nDefault);
    EXPECT_EQ(t.FindEntry(FALT, 0x54, 1016), nDefault - 1);
}

TEST_F(KeyAccelTableTest, TranslateKeyMatchesExactModifiers)
{
    CKeyAccelTable t;
    t.LoadTable();
    ASSERT_TRUE(t.BuildAccelerators());
    CCommandSink sink;
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int command; // -1: no match
    } cases[] = {
        {Qt::Key_A, Qt::ControlModifier, 32826},
        {Qt::Key_J, Qt::ControlModifier, 32830},
        {Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier, 32831},
        {Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, -1},
        {Qt::Key_A, Qt::ControlModifier | Qt::AltModifier, -1},
        {Qt::Key_A, Qt::NoModifier, -1},
        {Qt::Key_Q, Qt::ControlModifier, -1},
    };
    for (const auto& c : cases) {
        sink.commands.clear();
        QKeyEvent press(QEvent::KeyPress, c.key, c.mods);
        EXPECT_EQ(t.MatchesKey(&press), c.command >= 0) << c.key;
        EXPECT_EQ(t.TranslateKey(&sink, &press), c.command >= 0) << c.key;
        if (c.command >= 0)
            EXPECT_EQ(sink.commands, std::vector<int>{c.command});
        else
            EXPECT_TRUE(sink.commands.empty());
    }

    // Edits reach the keys only when the accelerators are built again.
    t.SetEntry(FCONTROL, 0x51, 32845);
    QKeyEvent ctrlQ(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(t.TranslateKey(&sink, &ctrlQ));
    t.BuildAccelerators();
    EXPECT_TRUE(t.TranslateKey(&sink, &ctrlQ));
    EXPECT_EQ(sink.commands.back(), 32845);
}

TEST_F(KeyAccelTableTest, HandWrittenEntriesWithoutVirtKeyDoNotMatch)
{
    Store(2, Entry(0x08, 0x41, 32845) + Entry(0x09, 0x42, 32787));
    CKeyAccelTable t;
    ASSERT_TRUE(t.LoadTable());
    EXPECT_FALSE(t.TranslateKey(nullptr, nullptr));
    ASSERT_TRUE(t.BuildAccelerators());
    QKeyEvent ctrlA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QKeyEvent ctrlB(QEvent::KeyPress, Qt::Key_B, Qt::ControlModifier);
    EXPECT_FALSE(t.MatchesKey(&ctrlA));
    EXPECT_TRUE(t.MatchesKey(&ctrlB));
}

TEST_F(KeyAccelTableTest, DecorateMenuWritesKeysAfterTheTab)
{
    QMenuBar bar;
    ASSERT_TRUE(LoadMenu(&bar, IDR_MAINFRAME));
    CKeyAccelTable t;
    t.LoadTable();
    t.DecorateMenu(&bar);
    EXPECT_EQ(MenuText(bar, ID_FAVORITES_ADD), QStringLiteral("&Add to Favorites\tCtrl+T"));
    EXPECT_EQ(MenuText(bar, ID_FILE_OPEN), QStringLiteral("&Open...\tCtrl+O"));
    EXPECT_EQ(MenuText(bar, ID_FILE_NEW), QStringLiteral("&New\tCtrl+N"));
    EXPECT_EQ(MenuText(bar, ID_VIEW_ADDRESS_BAR), QStringLiteral("&Address Bar\tCtrl+M"));
    EXPECT_EQ(MenuText(bar, ID_EDIT_CUT), QStringLiteral("Cu&t\tCtrl+X")); // no entry: untouched
    EXPECT_EQ(MenuText(bar, ID_VIEW_STATUS_BAR), QStringLiteral("&Status Bar"));

    // Modifiers in the order Ctrl, Alt, Shift; a command with several keys shows its last.
    t.SetEntry(FCONTROL | FALT | FSHIFT, 'S', ID_VIEW_STATUS_BAR);
    t.SetEntry(FCONTROL | FALT, 'A', ID_VIEW_STATUS_BAR);
    t.SetEntry(FCONTROL | FSHIFT, 'X', ID_FILE_OPEN);
    t.DecorateMenu(&bar);
    EXPECT_EQ(MenuText(bar, ID_VIEW_STATUS_BAR), QStringLiteral("&Status Bar\tCtrl+Alt+A"));
    EXPECT_EQ(MenuText(bar, ID_FILE_OPEN), QStringLiteral("&Open...\tCtrl+Shift+X"));

    // A removed binding keeps its text until the menu is built again.
    t.RemoveEntry(FCONTROL, 'T', ID_FAVORITES_ADD);
    t.DecorateMenu(&bar);
    EXPECT_EQ(MenuText(bar, ID_FAVORITES_ADD), QStringLiteral("&Add to Favorites\tCtrl+T"));
}

TEST_F(KeyAccelTableTest, KeysWithoutACharacterOfTheirOwnShowReadably)
{
    // The key settings make an entry with key code 0 from an empty key field, and one with
    // code 0x20 from a typed blank.
    const struct
    {
        int nFlags;
        int nKey;
        const char* pszKeyText;
        const char* pszMenuText;
    } cases[] = {
        {FCONTROL | FSHIFT, 0, "", "&Back"}, // no lone "Ctrl+Shift+"
        {FCONTROL, 0, "", "&Back"},
        {FCONTROL, ' ', "Ctrl+Space", "&Back\tCtrl+Space"},
        {FALT, ' ', "Alt+Space", "&Back\tAlt+Space"},
        {FCONTROL, '%', "Ctrl+%", "&Back\tCtrl+%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszKeyText);
        QMenuBar bar;
        ASSERT_TRUE(LoadMenu(&bar, IDR_MAINFRAME));
        CKeyAccelTable t;
        t.LoadTable();
        ASSERT_TRUE(t.SetEntry(c.nFlags, c.nKey, ID_GO_BACK));
        t.DecorateMenu(&bar);
        EXPECT_EQ(MenuText(bar, ID_GO_BACK), QString::fromUtf8(c.pszMenuText));
        EXPECT_EQ(CKeyAccelTable::GetKeyText(t.GetEntries()[CKeyAccelTable::kDefaultCount]),
                  QString::fromUtf8(c.pszKeyText));
    }
}
