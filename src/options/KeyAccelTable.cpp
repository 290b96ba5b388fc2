// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyAccelTable.h"

#include "commands/CommandRouter.h"
#include "platform/KeyCodes.h"
#include "platform/RegistryStore.h"

#include <QAction>
#include <QtEndian>

#include <cstring>
#include <iterator>

const char* const CKeyAccelTable::kRegistryKey = "Software\\Qorval\\nuvBrowser\\Options";

namespace {
const char* const kCountValue = "KeyAccelCount";
const char* const kTableValue = "KeyAccelTable";

constexpr quint8 kCtrl = FVIRTKEY | FNOINVERT | FCONTROL;
constexpr quint8 kCtrlShift = kCtrl | FSHIFT;

// The first fifteen rows are the browser's first defaults; later rows are added after them, so a
// table stored before keeps what it holds and still reads.
const KEYACCELENTRY kDefaultEntries[CKeyAccelTable::kDefaultCount] = {
    {kCtrl, 0, 0x41, 32826, 0},      {kCtrl, 0, 0x42, 32827, 0},      {kCtrl, 0, 0x44, 32834, 0},
    {kCtrl, 0, 0x4A, 32830, 0},      {kCtrlShift, 0, 0x4A, 32831, 0}, {kCtrl, 0, 0x4B, 32832, 0},
    {kCtrlShift, 0, 0x4B, 32833, 0}, {kCtrl, 0, 0x4E, 32775, 0},      {kCtrl, 0, 0x4F, 32804, 0},
    {kCtrl, 0, 0x53, 32805, 0},      {kCtrl, 0, 0x50, 32776, 0},      {kCtrl, 0, 0x54, 1016, 0},
    {kCtrl, 0, 0x5A, 32774, 0},      {kCtrl, 0, 0x46, 32784, 0},      {kCtrl, 0, 0x4D, 32785, 0},
    {kCtrlShift, 0, 0x5A, 32854, 0},
};

const KEYACCELCOMMAND kCommands[] = {
    {32826, u"Focus to Favorites"},
    {32827, u"Focus to Browser"},
    {32834, u"Focus to Address Bar"},
    {32837, u"Focus to New Active Window"},
    {32830, u"Images ON-display"},
    {32831, u"Images OFF-display"},
    {32832, u"Sound ON"},
    {32833, u"Sound OFF"},
    {32775, u"Make New Window"},
    {32804, u"Open Internet Address"},
    {32805, u"Save As"},
    {32776, u"Print"},
    {1016, u"Add to Favorites"},
    {32840, u"Organize Favorites"},
    {32839, u"Refresh Favorites"},
    {32778, u"Properties"},
    {32779, u"Work Offline"},
    {57665, u"Exit"},
    {32774, u"Close"},
    {32783, u"Select All"},
    {32784, u"Find"},
    {32829, u"Favorites"},
    {32785, u"Address Bar"},
    {32845, u"Status Bar"},
    {32796, u"Internet Options"},
    {32835, u"nuvBrowser Options"},
    {32787, u"Refresh"},
    {32846, u"View Source"},
    {32797, u"Back"},
    {32798, u"Forward"},
    {32802, u"History"},
    {32843, u"Move to Previous Window"},
    {32844, u"Move to Next Window"},
    {32855, u"Downloads"},
    {32854, u"Reopen Closed Window"},
};

// The bytes a value gives when read into a buffer, whatever its type.
bool ValueBytes(const RegValue& value, QByteArray* pBytes)
{
    switch (value.type) {
    case REG_BINARY:
        *pBytes = value.data;
        return true;
    case REG_DWORD: {
        pBytes->resize(4);
        qToLittleEndian<quint32>(value.dword, pBytes->data());
        return true;
    }
    case REG_SZ: {
        pBytes->clear();
        for (const QChar c : value.text) {
            const char16_t u = qToLittleEndian<char16_t>(c.unicode());
            pBytes->append(reinterpret_cast<const char*>(&u), 2);
        }
        pBytes->append(2, '\0');
        return true;
    }
    default:
        return false;
    }
}

// Reads a value into a zero-filled buffer of nSize bytes; a value longer than that fails.
bool ReadValue(const RegKeyData& key, const char* pszName, char* pBuffer, qsizetype nSize)
{
    const RegValue* value = key.Find(QLatin1String(pszName));
    QByteArray bytes;
    if (value == nullptr || !ValueBytes(*value, &bytes) || bytes.size() > nSize)
        return false;
    std::memcpy(pBuffer, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

KEYACCELENTRY EntryFromBytes(const char* p)
{
    KEYACCELENTRY e;
    e.fVirt = static_cast<quint8>(p[0]);
    e.bReserved = static_cast<quint8>(p[1]);
    e.wKey = qFromLittleEndian<quint16>(p + 2);
    e.wCommand = qFromLittleEndian<quint16>(p + 4);
    e.wReserved = qFromLittleEndian<quint16>(p + 6);
    return e;
}

QByteArray BytesFromEntries(const KEYACCELENTRY* pEntries, int nCount)
{
    QByteArray bytes(nCount * 8, '\0');
    for (int i = 0; i < nCount; ++i) {
        char* p = bytes.data() + i * 8;
        p[0] = static_cast<char>(pEntries[i].fVirt);
        p[1] = static_cast<char>(pEntries[i].bReserved);
        qToLittleEndian<quint16>(pEntries[i].wKey, p + 2);
        qToLittleEndian<quint16>(pEntries[i].wCommand, p + 4);
        qToLittleEndian<quint16>(pEntries[i].wReserved, p + 6);
    }
    return bytes;
}

void SetValue(RegKeyData& key, const RegValue& value)
{
    if (RegValue* existing = key.Find(value.name))
        *existing = value;
    else
        key.values.append(value);
}
} // namespace

CKeyAccelTable::CKeyAccelTable() = default;

CKeyAccelTable::~CKeyAccelTable() = default;

bool CKeyAccelTable::LoadTable()
{
    m_bModified = false;
    const RegistryData data = CRegistryStore().Read();
    const RegKeyData* key = data.FindKey(QLatin1String(kRegistryKey));
    if (key == nullptr)
        return TakeDefaults();

    char countBytes[4] = {};
    if (!ReadValue(*key, kCountValue, countBytes, sizeof countBytes))
        return TakeDefaults();
    const qint32 nCount = qFromLittleEndian<qint32>(countBytes);
    // A count beyond any table the key page can build is a damaged value, not a request
    // for that much memory.
    if (nCount <= 0 || nCount > kMaxStoredCount)
        return TakeDefaults();

    QByteArray table(nCount * 8, '\0');
    if (!ReadValue(*key, kTableValue, table.data(), table.size()))
        return TakeDefaults();
    std::vector<KEYACCELENTRY> entries(static_cast<size_t>(nCount));
    for (int i = 0; i < nCount; ++i)
        entries[static_cast<size_t>(i)] = EntryFromBytes(table.constData() + i * 8);
    m_pEntries = std::move(entries);
    m_nCount = nCount;
    return true;
}

bool CKeyAccelTable::TakeDefaults()
{
    m_pEntries.emplace(std::begin(kDefaultEntries), std::end(kDefaultEntries));
    m_nCount = kDefaultCount;
    return false;
}

bool CKeyAccelTable::SaveTable()
{
    if (!m_bModified)
        return false;
    m_bModified = false;
    const bool bWriteTable = m_nCount > 0 && m_pEntries.has_value();
    const QByteArray table =
        bWriteTable ? BytesFromEntries(m_pEntries->data(), m_nCount) : QByteArray();
    const quint32 nCount = static_cast<quint32>(m_nCount);
    // Both values go to disk in one write, so the count never disagrees with the table.
    const bool bWritten = CRegistryStore().Update([&](RegistryData& data) {
        RegKeyData& key = data.CreateKey(QLatin1String(kRegistryKey));
        SetValue(key, RegValue::Dword(QLatin1String(kCountValue), nCount));
        if (bWriteTable)
            SetValue(key, RegValue::Binary(QLatin1String(kTableValue), table));
    });
    return bWritten && bWriteTable;
}

int CKeyAccelTable::FindEntry(int nFlags, int nKey, int nCommand) const
{
    if (!m_pEntries)
        return -1;
    const quint8 f = static_cast<quint8>((nFlags & 0xFF) | FVIRTKEY | FNOINVERT);
    for (int i = 0; i < m_nCount; ++i) {
        const KEYACCELENTRY& e = (*m_pEntries)[static_cast<size_t>(i)];
        if (e.fVirt == f && e.wKey == nKey && (nCommand == 0 || e.wCommand == nCommand))
            return i;
    }
    return -1;
}

bool CKeyAccelTable::SetEntry(int nFlags, int nKey, int nCommand)
{
    m_bModified = true;
    KEYACCELENTRY entry;
    entry.fVirt = static_cast<quint8>((nFlags & 0xFF) | FVIRTKEY | FNOINVERT);
    entry.bReserved = 0;
    entry.wKey = static_cast<quint16>(nKey);
    entry.wCommand = static_cast<quint16>(nCommand);
    entry.wReserved = 0;

    const int i = FindEntry(nFlags, nKey, 0);
    if (i >= 0) {
        KEYACCELENTRY& e = (*m_pEntries)[static_cast<size_t>(i)];
        e.fVirt = entry.fVirt;
        e.wKey = entry.wKey;
        e.wCommand = entry.wCommand;
        e.wReserved = 0;
        return true;
    }
    if (!m_pEntries)
        m_pEntries.emplace();
    // Entries past the count are left over from removals; the new entry goes at the count.
    m_pEntries->resize(static_cast<size_t>(m_nCount));
    m_pEntries->push_back(entry);
    ++m_nCount;
    return true;
}

bool CKeyAccelTable::RemoveEntry(int nFlags, int nKey, int nCommand)
{
    m_bModified = true;
    const int i = FindEntry(nFlags, nKey, nCommand);
    if (i < 0)
        return false;
    auto& entries = *m_pEntries;
    for (int j = i; j + 1 < m_nCount; ++j)
        entries[static_cast<size_t>(j)] = entries[static_cast<size_t>(j + 1)];
    --m_nCount;
    return true;
}

int CKeyAccelTable::GetEntryCount() const
{
    return m_pEntries ? m_nCount : kDefaultCount;
}

const KEYACCELENTRY* CKeyAccelTable::GetEntries() const
{
    return m_pEntries ? m_pEntries->data() : kDefaultEntries;
}

const KEYACCELENTRY* CKeyAccelTable::GetDefaultEntries()
{
    return kDefaultEntries;
}

bool CKeyAccelTable::BuildAccelerators()
{
    m_hAccel.reset();
    const int nCount = GetEntryCount();
    if (nCount <= 0)
        return false;
    const KEYACCELENTRY* entries = GetEntries();
    std::vector<ACCEL> accels;
    accels.reserve(static_cast<size_t>(nCount));
    for (int i = 0; i < nCount; ++i)
        accels.push_back({entries[i].fVirt, entries[i].wKey, entries[i].wCommand});
    m_hAccel.emplace(accels.data(), nCount);
    return true;
}

bool CKeyAccelTable::TranslateKey(QObject* pWindow, const QKeyEvent* pMsg) const
{
    return m_hAccel && m_hAccel->Translate(pWindow, pMsg);
}

bool CKeyAccelTable::MatchesKey(const QKeyEvent* pMsg) const
{
    return m_hAccel && m_hAccel->FindCommand(pMsg) >= 0;
}

QString CKeyAccelTable::GetCommandName(int nCommand)
{
    for (const KEYACCELCOMMAND& c : kCommands)
        if (c.wCommand == nCommand)
            return QString::fromUtf16(c.pszName);
    return QString();
}

const KEYACCELCOMMAND* CKeyAccelTable::GetCommandTable()
{
    return kCommands;
}

int CKeyAccelTable::GetCommandTableSize()
{
    return static_cast<int>(std::size(kCommands));
}

void CKeyAccelTable::DecorateMenu(QWidget* pMenu) const
{
    if (pMenu == nullptr)
        return;
    const KEYACCELENTRY* entries = GetEntries();
    const int nCount = GetEntryCount();
    for (int i = 0; i < nCount; ++i) {
        QAction* item = CCommandRouter::FindMenuItem(pMenu, entries[i].wCommand);
        if (item == nullptr || entries[i].wKey == 0)
            continue;
        const QString text = item->text();
        const QString base = text.left(text.indexOf(QLatin1Char('\t')));
        item->setText(base + QLatin1Char('\t') + GetKeyText(entries[i]));
    }
}

QString CKeyAccelTable::GetKeyText(const KEYACCELENTRY& entry)
{
    // An entry made with an empty key field has key code 0: it shows nothing, not a lone
    // "Ctrl+".
    if (entry.wKey == 0)
        return QString();
    // The key page makes keys from typed characters: the code is the character, except the
    // blank, which would not show.
    if (entry.wKey == VK_SPACE)
        return KeyText(entry.fVirt, VK_SPACE);
    return ModifierText(entry.fVirt) + QChar(entry.wKey);
}
