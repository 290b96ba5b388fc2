// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/SpellingAtPress.h"

#include <QDateTime>

void CSpellingAtPress::Remember(const QPoint& pt, bool bEditable, const QString& word,
                                const QStringList& suggestions)
{
    m_pt = pt;
    m_strWord = bEditable ? word : QString();
    m_suggestions = m_strWord.isEmpty() ? QStringList() : suggestions;
    m_nWhen = QDateTime::currentMSecsSinceEpoch();
}

void CSpellingAtPress::AddTo(const QPoint& ptClient, BrowserElementPath* pPath) const
{
    if (m_nWhen == 0 || m_strWord.isEmpty() || (m_pt - ptClient).manhattanLength() > kMaxDistance ||
        QDateTime::currentMSecsSinceEpoch() - m_nWhen > kMaxAgeMs)
        return;
    pPath->misspelledWord = m_strWord;
    pPath->suggestions = m_suggestions;
}
