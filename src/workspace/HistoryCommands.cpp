// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace's side of the history of visited pages: the panes' finished loads go into it,
// the address field's completions come from the typed list, the favorites and it, and the
// Clear History command empties it.
#include "workspace/NuvBrowserForm.h"

#include "favorites/FavoritesStore.h"
#include "history/HistoryStore.h"
#include "res/Resource.h"
#include "workspace/FrameHost.h"

#include <QMessageBox>
#include <QTreeWidget>

namespace {
constexpr int kMaxCompletions = 12;

void CollectFavorites(const QTreeWidgetItem* item, QList<CompletionRow>* pRows)
{
    for (int i = 0; i < item->childCount(); ++i) {
        const QTreeWidgetItem* child = item->child(i);
        if (const FAVITEMDATA* record = FavoriteRecord(child); record && record->IsShortcut())
            pRows->append(
                {ECompletionKind::Favorite, record->pszName, QString::fromUtf8(record->pszURL)});
        CollectFavorites(child, pRows);
    }
}
} // namespace

void CNuvBrowserForm::MapHistoryCommands()
{
    Map(ID_HISTORY_CLEAR, &CNuvBrowserForm::OnHistoryClear);
}

CHistoryStore* CNuvBrowserForm::History()
{
    if (m_pHistory == nullptr) {
        m_pHistory = new CHistoryStore(QString(), this);
        // Said at the first use of the file, right as the page's own status texts come.
        connect(m_pHistory, &CHistoryStore::problem, this, [this](const QString& message) {
            if (m_pFrame)
                m_pFrame->ShowNotice(message);
        });
    }
    return m_pHistory;
}

void CNuvBrowserForm::OnPageVisited(const QString& address, const QString& title, bool bNewVisit)
{
    History()->AddVisit(address, title, bNewVisit);
}

void CNuvBrowserForm::QueryCompletions(const QString& text, CompletionsDone done)
{
    QStringList typed;
    for (int i = CInternetSettings::kTypedSlots - 1; i >= 0; --i)
        if (!m_settings.m_strTypedUrls[i].isEmpty())
            typed << m_settings.m_strTypedUrls[i];
    QList<CompletionRow> favorites;
    if (m_treeFavorites != nullptr)
        CollectFavorites(m_treeFavorites->invisibleRootItem(), &favorites);
    // The store answers on this thread and never after it (a child of the form) is gone.
    History()->Match(text.trimmed(), kMaxCompletions,
                     [text, typed, favorites, done](const QList<HistoryEntry>& history) {
                         done(RankCompletions(text, typed, favorites, history, kMaxCompletions));
                     });
}

void CNuvBrowserForm::RemoveCompletion(const CompletionRow& row)
{
    if (row.kind == ECompletionKind::Favorite)
        return;
    History()->Remove(row.address);
    m_settings.RemoveTypedAddress(row.address, AddressCombo());
}

void CNuvBrowserForm::OnHistoryClear()
{
    if (m_bAskingClearHistory)
        return;
    m_bAskingClearHistory = true;
    // Asked without a loop of its own: the answer continues the command.
    auto* pBox = new QMessageBox(QMessageBox::Question, QStringLiteral("nuvBrowser"),
                                 QStringLiteral("Delete the history of visited pages?"),
                                 QMessageBox::Yes | QMessageBox::No, DialogParent());
    pBox->setInformativeText(
        QStringLiteral("The list of addresses typed into the address bar is kept; Internet "
                       "Options clears it."));
    pBox->setDefaultButton(QMessageBox::No);
    pBox->setEscapeButton(QMessageBox::No);
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    connect(pBox, &QDialog::finished, this, [this, pBox](int) {
        m_bAskingClearHistory = false;
        if (pBox->standardButton(pBox->clickedButton()) == QMessageBox::Yes)
            History()->Clear();
    });
    pBox->open();
}
