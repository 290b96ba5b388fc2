// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SpellCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace {
const char kFolderName[] = "qtwebengine_dictionaries";
const char kWordsFile[] = "Custom Dictionary.txt";
// A word the list takes: letters, marks, digits, apostrophes and hyphens, at most 99.
constexpr qsizetype kMaxWordLength = 99;
constexpr qint64 kMaxWordsBytes = 1024 * 1024;

// "de_DE.UTF-8@euro" -> "de_DE"; "C" and "POSIX" are no language.
QString LanguageOfLocale(const QString& locale)
{
    QString name = locale.trimmed();
    name = name.left(name.indexOf(QLatin1Char('.')) >= 0 ? name.indexOf(QLatin1Char('.'))
                                                         : name.size());
    name = name.left(name.indexOf(QLatin1Char('@')) >= 0 ? name.indexOf(QLatin1Char('@'))
                                                         : name.size());
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    if (name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return QString();
    return name;
}

QString Family(const QString& language)
{
    return language.section(QLatin1Char('_'), 0, 0).toLower();
}

// The dictionary of a language: the exact one, else another country's of its family
// (the first in order).
QString FindDictionary(const QString& language, const QStringList& available)
{
    if (language.isEmpty())
        return QString();
    for (const QString& name : available)
        if (name.compare(language, Qt::CaseInsensitive) == 0)
            return name;
    const QString family = Family(language);
    for (const QString& name : available)
        if (Family(name) == family)
            return name;
    return QString();
}
} // namespace

QString SpellDictionaryFolder()
{
    const QString fromEnv = qEnvironmentVariable("QTWEBENGINE_DICTIONARIES_PATH");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& folder :
         {programDir + QLatin1Char('/') + QLatin1String(kFolderName),
          QDir::cleanPath(programDir + QStringLiteral("/../lib/nuvbrowser/") +
                          QLatin1String(kFolderName))})
        if (QFileInfo(folder).isDir())
            return folder;
    return QString();
}

QStringList SpellDictionaryLanguages(const QString& folder)
{
    if (folder.isEmpty())
        return {};
    QStringList names;
    for (const QFileInfo& file :
         QDir(folder).entryInfoList({QStringLiteral("*.bdic")}, QDir::Files, QDir::Name))
        names << file.completeBaseName();
    return names;
}

QString SpellLocale()
{
    for (const char* name : {"LC_ALL", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

QStringList ChooseSpellLanguages(const QString& locale, const QStringList& available)
{
    const QString own = FindDictionary(LanguageOfLocale(locale), available);
    if (!own.isEmpty())
        return {own};
    const QString english = FindDictionary(QStringLiteral("en_US"), available);
    if (!english.isEmpty())
        return {english};
    return {};
}

bool AddSpellWord(const QString& storageFolder, const QString& word)
{
    static const QRegularExpression kWord(QStringLiteral("^[\\p{L}\\p{M}\\p{N}'\\-]+$"));
    const QString w = word.trimmed();
    if (storageFolder.isEmpty() || w.isEmpty() || w.size() > kMaxWordLength ||
        !kWord.match(w).hasMatch())
        return false;
    const QString path = storageFolder + QLatin1Char('/') + QLatin1String(kWordsFile);
    QByteArray words;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly))
        words = existing.read(kMaxWordsBytes);
    const QByteArray line = w.toUtf8();
    if (words.split('\n').contains(line))
        return true;
    if (!words.isEmpty() && !words.endsWith('\n'))
        words += '\n';
    words += line + '\n';
    if (!QDir().mkpath(storageFolder))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(words) == words.size() && file.commit();
}

CSpellState* CSpellState::Instance()
{
    static CSpellState s_state;
    return &s_state;
}

void CSpellState::SetEnabled(bool bEnabled)
{
    if (bEnabled == m_bEnabled)
        return;
    m_bEnabled = bEnabled;
    emit enabledChanged(bEnabled);
}
