// SPDX-License-Identifier: GPL-3.0-or-later
#include "FavoritesTree.h"

#include "FavoritesExchange.h"
#include "FavoritesHost.h"
#include "FavoritesOrganizer.h"
#include "FavoritesStore.h"
#include "ShortcutFile.h"
#include "commands/CmdTarget.h"
#include "platform/ShellServices.h"
#include "res/FileFilter.h"
#include "res/Resource.h"
#include "res/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>
#include <QTreeWidget>

#include <memory>

#include <sys/resource.h>

namespace {
// The longest file name the file systems take, in bytes (NAME_MAX).
constexpr qsizetype kMaxFileNameBytes = 255;
const QString kUrlSuffix = QStringLiteral(".url");

// Lowers the calling thread's scheduling priority for good (on Linux every thread has a nice
// value of its own; a user may not raise it again).
void LowerThreadPriority()
{
    constexpr int kNice = 10;
    ::setpriority(PRIO_PROCESS, 0, kNice);
}

bool IsShiftDown()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

// Runs a dialog that may go with its parent while it is open; Rejected then.
int ExecDialog(const QPointer<QDialog>& pDialog)
{
    const int result = pDialog->exec();
    return pDialog ? result : QDialog::Rejected;
}
} // namespace

CFavoritesTree::CFavoritesTree(QTreeWidget* pTree, IFavoritesHost* pHost)
    : QObject(pTree), m_pTree(pTree), m_pHost(pHost)
{
    Q_ASSERT(pTree && pHost);
    m_pTree->installEventFilter(this);
    m_pViewport = m_pTree->viewport();
    m_pViewport->installEventFilter(this);
    connect(m_pTree, &QTreeWidget::currentItemChanged, this, &CFavoritesTree::OnSelChanged);
    connect(&m_readingWatcher, &QFutureWatcher<Reading>::finished, this,
            &CFavoritesTree::OnReadingDone);
}

CFavoritesTree::~CFavoritesTree() = default;

void CFavoritesTree::InsertAddEntry()
{
    FAVITEMDATA record;
    record.nKind = FAV_ADD_ENTRY;
    InsertFavoriteItem(m_pTree, nullptr, record, LoadString(IDS_ADD_FAVORITES_ENTRY),
                       FAV_IMAGE_ADD_ENTRY, FAV_IMAGE_ADD_ENTRY_SELECTED);
}

bool CFavoritesTree::RebuildFavorites()
{
    // A reading under way may have missed what changed: the walk starts afresh.
    DropReading();
    m_pTree->clear();
    InsertAddEntry();
    return FillFavorites();
}

QThreadPool* CFavoritesTree::ReadingPool()
{
    static QPointer<QThreadPool> s_pool;
    if (s_pool.isNull()) {
        s_pool = new QThreadPool(QCoreApplication::instance());
        s_pool->setMaxThreadCount(1);
    }
    return s_pool.data();
}

void CFavoritesTree::StartReading()
{
    DropReading();
    const QString path = m_pHost->GetFavoritesPath();
    if (path.isEmpty())
        return;
    const int nSort = m_pHost->GetViewSortFavorite();
    // Shared with the worker, which may finish after the tree has gone.
    auto promise = std::make_shared<QPromise<Reading>>();
    m_reading = promise->future();
    m_nReadingSort = nSort;
    m_bReading = true;
    promise->start();
    ReadingPool()->start([promise, path, nSort] {
        // The engine starts on the first page meanwhile: the walk yields to it.
        LowerThreadPriority();
        Reading reading;
        reading.bListed = ReadFavoritesFolder(path, QString(), nSort, &reading.entries);
        promise->addResult(std::move(reading));
        promise->finish();
    });
    m_readingWatcher.setFuture(m_reading);
}

bool CFavoritesTree::FillFavorites()
{
    if (!m_bReading)
        return FillFavoritesTree(m_pHost->GetFavoritesPath(), QString(), m_pTree, nullptr,
                                 m_pHost->GetViewSortFavorite());
    if (m_reading.isFinished())
        return AddReadEntries();
    m_bFillWhenRead = true;
    return true;
}

void CFavoritesTree::OnReadingDone()
{
    if (m_bReading && m_bFillWhenRead)
        AddReadEntries();
}

bool CFavoritesTree::AddReadEntries()
{
    Reading reading = m_reading.takeResult();
    DropReading();
    if (!reading.bListed)
        return false;
    AddFavoriteEntries(m_pTree, nullptr, std::move(reading.entries), m_nReadingSort);
    return true;
}

void CFavoritesTree::DropReading()
{
    m_bReading = false;
    m_bFillWhenRead = false;
    m_reading = QFuture<Reading>();
}

bool CFavoritesTree::OpenSelectedFavorite(bool bFromDoubleTap)
{
    QTreeWidgetItem* item = m_pTree->currentItem();
    if (item == nullptr)
        return false;
    const FAVITEMDATA* record = FavoriteRecord(item);
    if (record && record->IsAddEntry())
        return AddToFavorites();
    if (record && record->IsShortcut()) {
        const QString address = QString::fromUtf8(record->pszURL);
        if (address.isEmpty())
            return false;
        if (IsShiftDown() || m_pHost->GetViewNewWindow() != 0)
            m_pHost->NavigateNewPane(address, false);
        else
            m_pHost->NavigateActivePaneTo(address);
        return true;
    }
    // A folder: a double tap has opened or closed it already.
    if (!bFromDoubleTap)
        item->setExpanded(!item->isExpanded());
    return false;
}

bool CFavoritesTree::AddToFavorites()
{
    if (!m_pHost->HasActivePane())
        return false;
    QPointer<CFavoritesTree> self(this);
    QPointer<QFileDialog> dialog = new QFileDialog(m_pTree, QString(), m_pHost->GetFavoritesPath(),
                                                   LoadFileFilter(IDS_SHORTCUT_FILTER));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("url"));
    // Offered with its suffix: a title holding a "." would otherwise get none and the file
    // would not be a favorite, and the overwrite question is asked about the file written.
    const QString name = ProposedFileName(m_pHost->GetActivePaneTitle());
    if (!name.isEmpty())
        dialog->selectFile(name + kUrlSuffix);
    const bool bAccepted = ExecDialog(dialog.data()) == QDialog::Accepted;
    const QStringList files = dialog && bAccepted ? dialog->selectedFiles() : QStringList();
    delete dialog.data();
    if (!self || files.isEmpty())
        return false;

    // The dialog adds its default suffix only to a name without any ("Example.com" has one),
    // and only a name ending in ".url" is a favorite the tree shows.
    QString path = files.first();
    if (!path.endsWith(kUrlSuffix, Qt::CaseInsensitive)) {
        path += kUrlSuffix;
        if (QFileInfo::exists(path) && !ConfirmReplace(path))
            return false;
        if (!self)
            return false;
    }
    if (WriteShortcutFile(path, m_pHost->GetActivePaneAddress())) {
        RebuildFavorites();
        return true;
    }
    ShowMessage(LoadString(IDS_FAVORITE_BLANK));
    return false;
}

void CFavoritesTree::OnTap(const QPoint& ptViewport)
{
    if (m_pHost->GetViewSingleFavorite() != 1)
        return;
    QTreeWidgetItem* item = m_pTree->itemAt(ptViewport);
    if (item && IsOnItem(item, ptViewport))
        m_pTree->setCurrentItem(item);
    if (OpenSelectedFavorite(false))
        m_pHost->ScheduleFocus();
}

void CFavoritesTree::OnDoubleTap()
{
    if (OpenSelectedFavorite(true))
        m_pHost->ScheduleFocus();
}

void CFavoritesTree::OnEnterKey()
{
    if (OpenSelectedFavorite(false))
        m_pHost->ScheduleFocus();
}

void CFavoritesTree::OnSelChanged()
{
    const QTreeWidgetItem* item = m_pTree->currentItem();
    if (item == nullptr)
        return;
    const FAVITEMDATA* record = FavoriteRecord(item);
    if (record && record->IsShortcut())
        m_pHost->SetStatusText(QString::fromUtf8(record->pszURL));
    else if (record && record->IsAddEntry())
        m_pHost->SetStatusText(LoadString(IDS_ADD_FAVORITES_ENTRY));
    else
        m_pHost->SetStatusText(item->text(0));
}

void CFavoritesTree::OnFavoritesAdd()
{
    if (AddToFavorites())
        m_pHost->ScheduleFocus();
}

void CFavoritesTree::OnFavoritesRefresh()
{
    RebuildFavorites();
}

void CFavoritesTree::OnFavoritesOrganize()
{
    // Looked up afresh: the folder may have been made again since the start. Nothing waits
    // for the file manager; where none shows the folder, our own organiser does.
    const QString folder = GetFavoritesFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        ShowMessage(tr("There is no Favorites folder to organize."));
        return;
    }
    ShowFolderWithDesktop(folder, this, [this](bool bShown) {
        if (!bShown)
            OpenOrganizer(tr("No file manager could show the Favorites folder, so it is "
                             "organized here."));
    });
}

void CFavoritesTree::OpenOrganizer(const QString& notice)
{
    const QString folder = GetFavoritesFolder();
    if (m_pOrganizer == nullptr && !folder.isEmpty()) {
        m_pOrganizer = new CFavoritesOrganizer(folder, notice, m_pTree->window());
        m_pOrganizer->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_pOrganizer, &CFavoritesOrganizer::Changed, this, [this] { RebuildFavorites(); });
        m_pOrganizer->show();
    }
    if (m_pOrganizer) {
        m_pOrganizer->raise();
        m_pOrganizer->activateWindow();
    }
}

void CFavoritesTree::OnFavoritesImport()
{
    QPointer<CFavoritesTree> self(this);
    const QString path = AskBookmarkFile(false);
    if (!self || path.isEmpty())
        return;
    const CFavoritesExchange::Result result =
        CFavoritesExchange::ImportFile(path, GetFavoritesFolder());
    if (result.nAdded > 0)
        RebuildFavorites();
    ShowMessage(CFavoritesExchange::Summary(result));
}

void CFavoritesTree::OnFavoritesExport()
{
    QPointer<CFavoritesTree> self(this);
    const QString path = AskBookmarkFile(true);
    if (!self || path.isEmpty())
        return;
    QString error;
    if (!CFavoritesExchange::ExportFile(GetFavoritesFolder(), path, &error))
        ShowMessage(error);
}

QString CFavoritesTree::AskBookmarkFile(bool bSave)
{
    QPointer<CFavoritesTree> self(this);
    QPointer<QFileDialog> dialog =
        new QFileDialog(m_pTree, bSave ? tr("Export Favorites") : tr("Import Favorites"),
                        QDir::homePath(), tr("Bookmark files (*.html *.htm);;All files (*)"));
    dialog->setAcceptMode(bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(bSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (bSave) {
        dialog->setDefaultSuffix(QStringLiteral("html"));
        dialog->selectFile(QStringLiteral("bookmarks.html"));
    }
    const bool bAccepted = ExecDialog(dialog.data()) == QDialog::Accepted;
    const QStringList files = dialog && bAccepted ? dialog->selectedFiles() : QStringList();
    delete dialog.data();
    return self && !files.isEmpty() ? files.first() : QString();
}

void CFavoritesTree::ShowMessage(const QString& strText)
{
    QPointer<QMessageBox> box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("nuvBrowser"),
                                                strText, QMessageBox::Ok, m_pTree);
    ExecDialog(box.data());
    delete box.data();
}

QString CFavoritesTree::ProposedFileName(const QString& strTitle)
{
    QString name;
    qsizetype nBytes = kUrlSuffix.size();
    for (qsizetype i = 0; i < strTitle.size(); ++i) {
        QChar c = strTitle[i];
        const bool bPair =
            c.isHighSurrogate() && i + 1 < strTitle.size() && strTitle[i + 1].isLowSurrogate();
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') ||
            c.category() == QChar::Other_Control || (i == 0 && c == QLatin1Char('~')) ||
            (c.isSurrogate() && !bPair))
            c = QLatin1Char('_');
        const qsizetype nCharBytes = bPair                 ? 4
                                     : c.unicode() < 0x80  ? 1
                                     : c.unicode() < 0x800 ? 2
                                                           : 3;
        if (nBytes + nCharBytes > kMaxFileNameBytes)
            break;
        nBytes += nCharBytes;
        name.append(c);
        if (bPair)
            name.append(strTitle[++i]);
    }
    return name;
}

bool CFavoritesTree::ConfirmReplace(const QString& strPath)
{
    // The question the file dialog asks about a name it was given.
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("nuvBrowser"),
                        QFileDialog::tr("%1 already exists.\nDo you want to replace it?")
                            .arg(QFileInfo(strPath).fileName()),
                        QMessageBox::Yes | QMessageBox::No, m_pTree);
    box->setDefaultButton(QMessageBox::No);
    const bool bReplace = ExecDialog(box.data()) == QMessageBox::Yes;
    delete box.data();
    return bReplace;
}

bool CFavoritesTree::IsOnItem(const QTreeWidgetItem* pItem, const QPoint& ptViewport) const
{
    // The item's picture and label, as the tree draws and highlights them: right of the
    // indentation and the expand button.
    const QRect rc = m_pTree->visualItemRect(pItem);
    return rc.contains(ptViewport);
}

bool CFavoritesTree::IsOnExpandButton(const QTreeWidgetItem* pItem, const QPoint& ptViewport) const
{
    if (pItem->childCount() == 0 || (pItem->parent() == nullptr && !m_pTree->rootIsDecorated()))
        return false;
    const QRect rc = m_pTree->visualItemRect(pItem);
    return ptViewport.y() >= rc.top() && ptViewport.y() <= rc.bottom() &&
           ptViewport.x() < rc.left() && ptViewport.x() >= rc.left() - m_pTree->indentation();
}

bool CFavoritesTree::HandleViewportEvent(QEvent* pEvent)
{
    auto* mouse = static_cast<QMouseEvent*>(pEvent);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPoint pt = mouse->position().toPoint();
    switch (pEvent->type()) {
    case QEvent::MouseButtonRelease:
        if (m_bReleaseEndsDoubleTap)
            m_bReleaseEndsDoubleTap = false;
        else
            QMetaObject::invokeMethod(
                this, [this, pt] { OnTap(pt); }, Qt::QueuedConnection);
        return false;
    case QEvent::MouseButtonDblClick:
        m_bReleaseEndsDoubleTap = true;
        QMetaObject::invokeMethod(
            this, [this] { OnDoubleTap(); }, Qt::QueuedConnection);
        break;
    case QEvent::MouseButtonPress:
        break;
    default:
        return false;
    }
    // A press beside an item (in its indentation, or on a row without an expand button there)
    // does not select it.
    const QTreeWidgetItem* item = m_pTree->itemAt(pt);
    return item && !IsOnItem(item, pt) && !IsOnExpandButton(item, pt);
}

bool CFavoritesTree::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pTree && pEvent->type() == QEvent::KeyPress) {
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        if (nKey != Qt::Key_Return && nKey != Qt::Key_Enter)
            return false;
        OnEnterKey();
        return true; // whatever it did, Enter in the tree goes no further
    }
    if (pWatched == m_pViewport) {
        switch (pEvent->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return HandleViewportEvent(pEvent);
        default:
            break;
        }
    }
    return QObject::eventFilter(pWatched, pEvent);
}

void MapFavoritesCommands(CCmdTarget& target, CFavoritesTree& tree)
{
    target.Map(ID_FAVORITES_ADD, [&tree] { tree.OnFavoritesAdd(); });
    target.Map(ID_FAVORITES_REFRESH, [&tree] { tree.OnFavoritesRefresh(); });
    target.Map(ID_FAVORITES_ORGANIZE, [&tree] { tree.OnFavoritesOrganize(); });
    target.Map(ID_FAVORITES_IMPORT, [&tree] { tree.OnFavoritesImport(); });
    target.Map(ID_FAVORITES_EXPORT, [&tree] { tree.OnFavoritesExport(); });
}
