// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

// Spelling of the pages' text fields: where the engine's dictionaries are, which of them the
// locale chooses, and whether the user wants the check (the registry value "SpellCheck").

// The folder of the engine's dictionaries (.bdic): QTWEBENGINE_DICTIONARIES_PATH when it is
// set, else qtwebengine_dictionaries beside the program (a build folder) or in
// <prefix>/lib/nuvbrowser. Empty when none of them exists.
QString SpellDictionaryFolder();
// The languages of the dictionaries in a folder ("en_US" for en_US.bdic), sorted.
QStringList SpellDictionaryLanguages(const QString& folder);

// The locale the user types in: LC_ALL, else LANG ("de_DE.UTF-8", "pt_BR@euro", "C").
QString SpellLocale();
// The dictionaries to check with: the locale's own (its language and country, else another
// country's of its language), else English (en_US first) as the fallback; empty when no
// dictionary fits.
QStringList ChooseSpellLanguages(const QString& locale, const QStringList& available);

// The user's own words, which the engine's spell checker reads at its start from its storage
// folder ("Custom Dictionary.txt", one word a line). Adds a word; false when it cannot be
// written or is no single word.
bool AddSpellWord(const QString& storageFolder, const QString& word);

// Whether pages are spell-checked now; the engine follows every change.
class CSpellState : public QObject
{
    Q_OBJECT
public:
    static CSpellState* Instance();
    bool IsEnabled() const { return m_bEnabled; }
    void SetEnabled(bool bEnabled);

signals:
    void enabledChanged(bool bEnabled);

private:
    bool m_bEnabled = true;
};
