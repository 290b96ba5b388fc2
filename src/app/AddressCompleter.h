// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/Completion.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QEvent;
class QKeyEvent;
class QLineEdit;
class QListWidget;

// The list under the address field that offers typed addresses, favorites and visited pages
// for what is typed: each row its title and address with the typed text in bold. Up and Down
// choose a row, Enter opens the chosen one (else what was typed), Esc closes the list,
// Shift+Delete removes the chosen row's page from the history and the typed list. The field's
// text is never changed behind the user's back: only Enter on a chosen row puts its address
// there, as it opens it.
class CAddressCompleter : public QObject
{
    Q_OBJECT
public:
    using SourceFn = std::function<ICompletionSource*()>;

    CAddressCompleter(QLineEdit* pEdit, SourceFn source, QObject* parent = nullptr);
    ~CAddressCompleter() override;

    // The frame hands over each key press aimed at the field before anything else sees it;
    // true: the key was the list's. Enter is never consumed.
    bool HandleKey(QObject* pReceiver, const QKeyEvent* pKey);
    // Whether the list would take this key (for the frame's shortcut claims).
    bool WantsKey(QObject* pReceiver, const QKeyEvent* pKey) const;

    bool IsShown() const;
    QListWidget* List() const { return m_pList; }
    QList<CompletionRow> Rows() const { return m_rows; }
    int CurrentRow() const;
    void Hide();

signals:
    // A row was clicked: the field holds its address; the frame opens it like Enter.
    void rowActivated();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    bool IsField(const QObject* pReceiver) const;
    void OnTextEdited(const QString& text);
    void ShowRows(const QString& text, const QList<CompletionRow>& rows);
    void Place();
    void MoveCurrent(int nStep);
    void TakeRow(int nRow);

    QPointer<QLineEdit> m_pEdit;
    // The same field, only compared with: the filter also sees its events while it is being
    // destroyed, when it can no longer be looked at as a line edit.
    const QObject* m_pEditObject = nullptr;
    SourceFn m_source;
    QListWidget* m_pList = nullptr;
    QList<CompletionRow> m_rows;
    QString m_strAsked; // the text the newest query was for
};
