// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppSettings.h"

#include "platform/RegistryStore.h"

#include <iterator>

namespace {
struct SettingRef
{
    const char* name;
    int CAppSettings::*field;
    int defaultValue;
};

// The read order; the write order differs only in its first two entries.
const SettingRef kSettings[] = {
    {"ViewMenu", &CAppSettings::ViewMenu, 1},
    {"ViewFavorite", &CAppSettings::ViewFavorite, 1},
    {"ViewStatus", &CAppSettings::ViewStatus, 0},
    {"ViewFont", &CAppSettings::ViewFont, 2},
    {"ViewNewActive", &CAppSettings::ViewNewActive, 1},
    {"ViewSortFavorite", &CAppSettings::ViewSortFavorite, 0},
    {"ViewSingleFavorite", &CAppSettings::ViewSingleFavorite, 0},
    {"ViewTabWidthFixed", &CAppSettings::ViewTabWidthFixed, 0},
    {"ViewFavoriteWidth", &CAppSettings::ViewFavoriteWidth, 0},
    {"ViewNewWindow", &CAppSettings::ViewNewWindow, 0},
    {"RunLastClose", &CAppSettings::RunLastClose, 0},
    {"RunExitConfirm", &CAppSettings::RunExitConfirm, 0},
    {"CheckGoogle", &CAppSettings::CheckGoogle, 1},
};

// Added later than the thirteen, each written once stored or changed from its default: the
// delays before the pages of hidden panes sleep, the colour scheme and the spell checker.
const SettingRef kLaterSettings[] = {
    {"RunFreezeHidden", &CAppSettings::RunFreezeHidden, 300},
    {"RunDiscardHidden", &CAppSettings::RunDiscardHidden, 1800},
    {"ViewColorScheme", &CAppSettings::ViewColorScheme, 0},
    {"SpellCheck", &CAppSettings::SpellCheck, 1},
};
static_assert(std::size(kLaterSettings) == CAppSettings::kLaterSettingCount);

// Replaces the value of that name, or adds it at the end.
void StoreValue(RegKeyData& key, const RegValue& v)
{
    if (RegValue* existing = key.Find(v.name))
        *existing = v;
    else
        key.values.append(v);
}
} // namespace

const char* const CAppSettings::kProfileKey = "Software\\Qorval\\nuvBrowser";
const char* const CAppSettings::kOptionsKey = "Software\\Qorval\\nuvBrowser\\Options";

void CAppSettings::ReadSettings()
{
    // One read of the file for all thirteen values, in the read order.
    const RegistryData data = CRegistryStore().Read();
    const RegKeyData* key = data.FindKey(QString::fromLatin1(kOptionsKey));
    for (const SettingRef& s : kSettings) {
        const RegValue* v = key ? key->Find(QString::fromLatin1(s.name)) : nullptr;
        this->*s.field = (v && v->type == REG_DWORD) ? int(v->dword) : s.defaultValue;
    }
    const RegValue* restore = key ? key->Find(QStringLiteral("RunRestoreSession")) : nullptr;
    m_bRestoreSessionStored = restore && restore->type == REG_DWORD;
    RunRestoreSession = m_bRestoreSessionStored ? int(restore->dword) : 0;
    for (const SettingRef& s : kLaterSettings) {
        const RegValue* v = key ? key->Find(QString::fromLatin1(s.name)) : nullptr;
        const bool bStored = v && v->type == REG_DWORD;
        this->*s.field = bStored ? int(v->dword) : s.defaultValue;
        m_laterStored[&s - kLaterSettings] = bStored;
    }
    m_bSettingsRead = true;
}

void CAppSettings::WriteSettings()
{
    // Nothing is written over the stored settings before they were read.
    if (!m_bSettingsRead)
        return;
    static const int order[] = {1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    CRegistryStore().Update([&](RegistryData& data) {
        RegKeyData& key = data.CreateKey(QString::fromLatin1(kOptionsKey));
        for (int i : order) {
            const SettingRef& s = kSettings[i];
            const RegValue v =
                RegValue::Dword(QString::fromLatin1(s.name), quint32(this->*s.field));
            if (RegValue* existing = key.Find(v.name))
                existing->dword = v.dword, existing->type = REG_DWORD;
            else
                key.values.append(v);
        }
        // Not one of the thirteen: written once it was stored or chosen.
        if (m_bRestoreSessionStored || RunRestoreSession != 0) {
            StoreValue(key, RegValue::Dword(QStringLiteral("RunRestoreSession"),
                                            quint32(RunRestoreSession)));
        }
        for (const SettingRef& s : kLaterSettings) {
            if (!m_laterStored[&s - kLaterSettings] && this->*s.field == s.defaultValue)
                continue;
            StoreValue(key, RegValue::Dword(QString::fromLatin1(s.name), quint32(this->*s.field)));
        }
    });
}
