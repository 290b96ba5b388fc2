// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzEntries.h"

#include "favorites/FavoritesStore.h"
#include "favorites/ShortcutFile.h"
#include "options/KeyAccelTable.h"
#include "platform/RegistryStore.h"
#include "platform/SessionFile.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A broken rule ends the run the way the fuzzer and the replay both notice.
void Require(bool bHolds, const char* pszRule)
{
    if (!bHolds) {
        std::fprintf(stderr, "rule broken: %s\n", pszRule);
        std::abort();
    }
}

QByteArray Bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

bool WriteBytes(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
    return done == bytes.size();
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    ::remove(path);
    return 0;
}

// Empties a folder without following links out of it.
void RemoveTree(const QByteArray& path)
{
    ::nftw(path.constData(), RemoveEntry, 32, FTW_DEPTH | FTW_PHYS);
}

QByteArray Scratch(const char* name)
{
    return QByteArray(FuzzScratchFolder()) + '/' + name;
}

// Reads the bytes the fuzzer gave as a little program.
class CByteReader
{
public:
    CByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool AtEnd() const { return m_pos >= m_size; }
    uint8_t Next() { return AtEnd() ? 0 : m_data[m_pos++]; }
    QByteArray Take(size_t n)
    {
        n = std::min(n, m_size - m_pos);
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A file name from the bytes: 1 to 255 bytes, no "/" and no zero, never "." or "..".
QByteArray NameFrom(CByteReader& reader)
{
    const size_t n = std::max<size_t>(1, reader.Next());
    QByteArray name = reader.Take(n);
    name.replace('/', '_');
    name.replace('\0', '_');
    if (name.isEmpty() || name == "." || name == "..")
        name = "n";
    return name;
}
} // namespace

const char* FuzzScratchFolder()
{
    // Never destroyed: the handler that empties it at exit runs after static destructors.
    static const std::string* folder = [] {
        std::string base = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
        std::string path = base + "/nuvfuzz.XXXXXX";
        Require(::mkdtemp(path.data()) != nullptr, "a scratch folder can be made");
        // The key table reads the registry of the configuration folder.
        ::mkdir((path + "/config").c_str(), 0700);
        ::setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
        std::atexit([] { RemoveTree(FuzzScratchFolder()); });
        return new std::string(path);
    }();
    return folder->c_str();
}

void FuzzEnsureApplication()
{
    if (QCoreApplication::instance() != nullptr)
        return;
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "nuvfuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

void FuzzRegistryFile(const uint8_t* data, size_t size)
{
    const QByteArray bytes = Bytes(data, size);
    const RegistryData first = RegistryData::Parse(bytes);
    const QByteArray written = first.Serialize();
    const RegistryData second = RegistryData::Parse(written);
    Require(second.damagedLines == 0 && second.ansiLines == 0,
            "a written file reads back without repairs");
    Require(second.Serialize() == written, "a written file reads back the same");

    // Through the store: a write over the file keeps the old bytes when they needed repair.
    const QByteArray folder = Scratch("registry");
    RemoveTree(folder);
    ::mkdir(folder.constData(), 0700);
    const QString path = QFile::decodeName(folder + "/registry.reg");
    Require(WriteBytes(QFile::encodeName(path), bytes), "the file can be written");
    CRegistryStore store(path);
    (void)store.Read();
    const bool bSet =
        store.SetValue(QStringLiteral("Software\\Fuzz"),
                       RegValue::String(QStringLiteral("Value"), QStringLiteral("x")));
    Require(bSet, "a value can be set over any file");
    RegValue value;
    Require(store.QueryValue(QStringLiteral("Software\\Fuzz"), QStringLiteral("Value"), &value) &&
                value.type == REG_SZ && value.text == QLatin1String("x"),
            "a value set is read back");
    if (first.NeedsRepair()) {
        QFile backup(CRegistryStore::BackupPath(path, 0));
        Require(backup.open(QIODevice::ReadOnly) && backup.readAll() == bytes,
                "a file that needed repair is kept as a backup");
    }
}

void FuzzShortcutFile(const uint8_t* data, size_t size)
{
    const QByteArray bytes = Bytes(data, size);
    const QByteArray address = ShortcutAddressFromBytes(bytes);
    Require(!address.contains('\r') && !address.contains('\n') && !address.contains('\0'),
            "an address holds no line end and no zero");
    Require(address == ShortcutAddressFromBytes(bytes.left(kShortcutReadLimit)),
            "only the first bytes count");

    const QByteArray path = Scratch("fuzz.url");
    Require(WriteBytes(path, bytes), "the file can be written");
    Require(ReadShortcutAddressAt(path) == address, "the file reads as its bytes do");

    // What is written reads back as written; only a letter's combining marks may be composed
    // with it. A file written fits in the part that is read.
    const QString text = QString::fromUtf8(address);
    if (WriteShortcutFile(QFile::decodeName(path), text)) {
        Require(QFileInfo(QFile::decodeName(path)).size() <= kShortcutReadLimit,
                "a written shortcut is read whole");
        const QByteArray read = ReadShortcutAddressAt(path);
        // Both sides decoded alike (the decoder drops a leading byte-order mark).
        Require(QString::fromUtf8(read).normalized(QString::NormalizationForm_D) ==
                    QString::fromUtf8(text.toUtf8()).normalized(QString::NormalizationForm_D),
                "a written shortcut reads back the same but for composed marks");
        const QList<uint> points = text.toUcs4();
        const bool bMarks = std::any_of(points.cbegin(), points.cend(),
                                        [](uint c) { return QChar::combiningClass(c) != 0; });
        Require(bMarks || read == text.toUtf8(), "a written shortcut without marks reads back");
    }
    ::unlink(path.constData());
}

void FuzzHandOffRecord(const uint8_t* data, size_t size)
{
    const QByteArray bytes = Bytes(data, size);
    quint32 dwData = 0;
    QString text;
    const auto result = CSingleInstance::CheckRecord(bytes, &dwData, &text);
    if (result != CSingleInstance::RecordCheck::Complete)
        return;
    Require(dwData == kHandOffData, "only the hand-off record is taken");
    Require(!text.contains(QChar(0)), "the text ends at its zero");
    const quint32 cbData = qFromLittleEndian<quint32>(bytes.constData() + 4);
    Require(quint32(text.size() + 1) * 2 <= cbData && cbData <= kMaxHandOffBytes,
            "the text lies within the record");
    // A record arriving in pieces is waited for until its last byte, then taken the same.
    for (qsizetype n = 0; n < 8 + qsizetype(cbData); n += 1 + n / 4) {
        quint32 dw = 0;
        QString part;
        Require(CSingleInstance::CheckRecord(bytes.left(n), &dw, &part) ==
                    CSingleInstance::RecordCheck::NeedMore,
                "a part of a record waits for more");
    }
    // What a second start sends for the text is taken back as the same text.
    quint32 dwAgain = 0;
    QString again;
    Require(CSingleInstance::CheckRecord(CSingleInstance::EncodeRecord(kHandOffData, text),
                                         &dwAgain,
                                         &again) == CSingleInstance::RecordCheck::Complete &&
                again == text,
            "an encoded record reads back");
}

void FuzzSessionFile(const uint8_t* data, size_t size)
{
    const QByteArray bytes = Bytes(data, size);
    SessionData parsed;
    const bool bOk = CSessionFile::Parse(bytes, &parsed);

    const QByteArray path = Scratch("session");
    Require(WriteBytes(path, bytes), "the file can be written");
    SessionData read;
    const auto result = CSessionFile(QFile::decodeName(path)).Read(&read);
    ::unlink(path.constData());
    Require(result == (bOk ? CSessionFile::ReadResult::Ok : CSessionFile::ReadResult::Damaged),
            "the file reads as its bytes do");
    if (!bOk)
        return;
    Require(read == parsed, "the file reads as its bytes do");
    Require(parsed.nActive >= 0 &&
                (parsed.addresses.isEmpty() || parsed.nActive < parsed.addresses.size()),
            "the front pane is one of the panes");
    for (qsizetype i = 0; i < parsed.addresses.size(); ++i)
        Require(!parsed.addresses[i].isEmpty() &&
                    parsed.History(i).size() <= CSessionFile::kMaxHistoryBytes &&
                    parsed.Title(i).size() <= CSessionFile::kMaxTitleChars,
                "every pane has an address, and a history and a title within their bounds");

    const QByteArray written = CSessionFile::Format(parsed);
    SessionData again;
    Require(CSessionFile::Parse(written, &again) && again == parsed,
            "what is written reads back the same");
    Require(CSessionFile::Format(again) == written, "written again, the bytes are the same");
}

void FuzzKeyTable(const uint8_t* data, size_t size)
{
    FuzzEnsureApplication();
    CByteReader reader(data, size);
    // The first byte picks how each value is stored, as a user's or an old program's file may.
    const uint8_t kinds = reader.Next();
    const QByteArray count = reader.Take(1 + reader.Next() % 8);
    const QByteArray table = reader.Take(size);
    auto valueOf = [](const char* name, const QByteArray& bytes, int kind) {
        switch (kind % 3) {
        case 0:
            return RegValue::Binary(QLatin1String(name), bytes);
        case 1:
            return RegValue::Dword(QLatin1String(name),
                                   bytes.size() >= 4 ? qFromLittleEndian<quint32>(bytes.constData())
                                                     : quint32(bytes.size()));
        default:
            return RegValue::String(QLatin1String(name), QString::fromLatin1(bytes));
        }
    };
    FuzzScratchFolder();
    CRegistryStore store;
    ::unlink(QFile::encodeName(store.Path()).constData());
    const bool bWritten = store.Update([&](RegistryData& reg) {
        RegKeyData& key = reg.CreateKey(QLatin1String(CKeyAccelTable::kRegistryKey));
        key.values.append(valueOf("KeyAccelCount", count, kinds));
        key.values.append(valueOf("KeyAccelTable", table, kinds / 3));
    });
    Require(bWritten, "the registry can be written");

    CKeyAccelTable keys;
    keys.LoadTable();
    const int n = keys.GetEntryCount();
    Require(n > 0 && n <= CKeyAccelTable::kMaxStoredCount, "the table has a sane size");
    for (int i = 0; i < n; ++i) {
        (void)CKeyAccelTable::GetKeyText(keys.GetEntries()[i]);
        (void)CKeyAccelTable::GetCommandName(keys.GetEntries()[i].wCommand);
    }
    keys.BuildAccelerators();
    if (n >= CKeyAccelTable::kMaxStoredCount)
        return; // a full table takes no further binding
    // A binding changed and saved is what the next load finds.
    keys.SetEntry(0x04, 'Q', 57600 + 1);
    Require(keys.SaveTable(), "a changed table is saved");
    CKeyAccelTable reloaded;
    Require(reloaded.LoadTable() && reloaded.FindEntry(0x04, 'Q', 57600 + 1) >= 0,
            "a saved binding is loaded again");
}

void FuzzFavoritesWalk(const uint8_t* data, size_t size)
{
    FuzzEnsureApplication();
    // A folder of its own for every run: what one run leaves cannot disturb the next.
    static int s_nRun = 0;
    const QByteArray root = Scratch("Favorites.") + QByteArray::number(++s_nRun);
    Require(::mkdir(root.constData(), 0700) == 0, "the favorites folder can be made");

    // Folders go down, shortcuts and links are made where the walk stands.
    CByteReader reader(data, size);
    QList<QByteArray> stack{root};
    int made = 0;
    for (int step = 0; step < 400 && !reader.AtEnd(); ++step) {
        const uint8_t op = reader.Next();
        const QByteArray here = stack.last();
        switch (op % 6) {
        case 0:
        case 1: { // a folder, entered
            const QByteArray path = here + '/' + NameFrom(reader);
            if (path.size() < 3000 && ::mkdir(path.constData(), 0700) == 0) {
                stack.append(path);
                ++made;
            }
            break;
        }
        case 2: { // a shortcut with bytes of its own
            QByteArray name = NameFrom(reader);
            if (name.size() > 251)
                name.truncate(251);
            const QByteArray path = here + '/' + name + ".url";
            const QByteArray content = reader.Take(reader.Next());
            if (WriteBytes(path, content))
                ++made;
            break;
        }
        case 3: // back up
            if (stack.size() > 1)
                stack.removeLast();
            break;
        case 4: { // a link to a folder above (a loop) or to nowhere
            const QByteArray path = here + '/' + NameFrom(reader);
            const QByteArray target =
                (op & 0x80) ? QByteArray("/nonexistent/x") : stack.at(reader.Next() % stack.size());
            if (::symlink(target.constData(), path.constData()) == 0)
                ++made;
            break;
        }
        default: { // a file that is no shortcut, or a folder nobody may list
            const QByteArray path = here + '/' + NameFrom(reader);
            if (op & 0x80) {
                if (::mkdir(path.constData(), 0) == 0)
                    ++made;
            } else if (WriteBytes(path, reader.Take(reader.Next() % 16))) {
                ++made;
            }
            break;
        }
        }
    }

    for (int sort : {0, 1}) {
        QTreeWidget tree;
        Require(FillFavoritesTree(QFile::decodeName(root), QString(), &tree, nullptr, sort),
                "the favorites folder is walked");
        int items = 0;
        for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
            const FAVITEMDATA* record = FavoriteRecord(*it);
            Require(record != nullptr, "every item carries its record");
            Require(record->IsFolder() || record->IsShortcut(), "items are folders or shortcuts");
            Require(record->nativePath.startsWith(root), "items lie inside the folder");
            ++items;
        }
        // Links lead back up, but every directory's content is shown once.
        Require(items <= made, "no item is shown twice");
    }
    // The folders nobody may list must still be removable.
    for (QByteArray& path : stack)
        ::chmod(path.constData(), 0700);
    ::nftw(
        root.constData(),
        [](const char* path, const struct stat* st, int, struct FTW*) {
            if (S_ISDIR(st->st_mode))
                ::chmod(path, 0700);
            return 0;
        },
        32, FTW_PHYS);
    RemoveTree(root);
}
