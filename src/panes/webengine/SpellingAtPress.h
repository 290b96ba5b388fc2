// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/BrowserControl.h"

#include <QPoint>
#include <QString>
#include <QStringList>

// What the engine told of the last press that asks for a menu: where it was and, in an
// editable field, the misspelled word there with the spell checker's suggestions. The
// program's page menu takes it when its own query of the same point answers.
class CSpellingAtPress
{
public:
    // The engine's menu request (its position in the view's pixels).
    void Remember(const QPoint& pt, bool bEditable, const QString& word,
                  const QStringList& suggestions);
    // Puts the word and the suggestions into the answer for a point, when the engine told of
    // a press there in the last seconds.
    void AddTo(const QPoint& ptClient, BrowserElementPath* pPath) const;
    bool HasWord() const { return !m_strWord.isEmpty(); }

    static constexpr int kMaxDistance = 4; // pixels between the press and the query
    static constexpr qint64 kMaxAgeMs = 5000;

private:
    QPoint m_pt;
    QString m_strWord;
    QStringList m_suggestions;
    qint64 m_nWhen = 0; // ms since the epoch; 0: nothing told
};
