// SPDX-License-Identifier: GPL-3.0-or-later
#include "favorites/FavoritesOrganizer.h"

#include "favorites/FavoritesStore.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QVBoxLayout>

#include <functional>
#include <vector>

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kFolderRole = Qt::UserRole + 1;

QString PathOf(const QTreeWidgetItem* pItem)
{
    return pItem ? pItem->data(0, kPathRole).toString() : QString();
}

bool IsFolder(const QTreeWidgetItem* pItem)
{
    return pItem && pItem->data(0, kFolderRole).toBool();
}

QString ParentFolder(const QString& path)
{
    return QFileInfo(path).absolutePath();
}
} // namespace

COrganizerTree::COrganizerTree(QWidget* pParent) : QTreeWidget(pParent)
{
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
}

QString COrganizerTree::DropFolderAt(const QPoint& pt) const
{
    const QTreeWidgetItem* pItem = itemAt(pt);
    if (pItem == nullptr)
        return QString();
    // Between two entries: the folder that holds them.
    const QRect rc = visualItemRect(pItem);
    const bool bOnItem = pt.y() > rc.top() + 2 && pt.y() < rc.bottom() - 2;
    if (IsFolder(pItem) && (bOnItem || pItem->parent() == nullptr))
        return PathOf(pItem);
    return pItem->parent() ? PathOf(pItem->parent()) : PathOf(pItem);
}

void COrganizerTree::dropEvent(QDropEvent* pEvent)
{
    // Only moves within the tree; the files move, and the tree is read again afterwards.
    if (pEvent->source() != this) {
        pEvent->ignore();
        return;
    }
    const QString folder = DropFolderAt(pEvent->position().toPoint());
    QStringList paths;
    for (const QTreeWidgetItem* pItem : selectedItems())
        if (pItem->parent() != nullptr)
            paths << PathOf(pItem);
    pEvent->setDropAction(Qt::IgnoreAction);
    pEvent->accept();
    if (!folder.isEmpty() && !paths.isEmpty())
        emit MoveRequested(paths, folder);
}

CFavoritesOrganizer::CFavoritesOrganizer(const QString& root, const QString& notice,
                                         QWidget* pParent)
    : QDialog(pParent), m_files(root), m_root(QDir::cleanPath(QFileInfo(root).absoluteFilePath())),
      m_pTree(new COrganizerTree(this)), m_pNotice(new QLabel(notice, this))
{
    setWindowTitle(tr("Organize Favorites"));
    setObjectName(QStringLiteral("favoritesOrganizer"));
    m_pNotice->setWordWrap(true);
    m_pNotice->setVisible(!notice.isEmpty());

    auto* pButtons = new QVBoxLayout;
    const auto addButton = [&](const QString& text, QKeySequence key,
                               void (CFavoritesOrganizer::*slot)()) {
        auto* pButton = new QPushButton(text, this);
        pButton->setAutoDefault(false);
        if (!key.isEmpty())
            pButton->setToolTip(key.toString(QKeySequence::NativeText));
        connect(pButton, &QPushButton::clicked, this, slot);
        auto* pAction = new QAction(this);
        pAction->setShortcut(key);
        pAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(pAction, &QAction::triggered, this, slot);
        addAction(pAction);
        pButtons->addWidget(pButton);
        return pButton;
    };
    addButton(tr("&New Folder"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
              &CFavoritesOrganizer::OnNewFolder);
    m_pRename = addButton(tr("&Rename"), QKeySequence(Qt::Key_F2), &CFavoritesOrganizer::OnRename);
    m_pDelete =
        addButton(tr("&Delete"), QKeySequence(Qt::Key_Delete), &CFavoritesOrganizer::OnDelete);
    m_pCut = addButton(tr("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X), &CFavoritesOrganizer::OnCut);
    m_pPaste =
        addButton(tr("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), &CFavoritesOrganizer::OnPaste);
    pButtons->addStretch();

    auto* pClose = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(pClose, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* pMiddle = new QHBoxLayout;
    pMiddle->addWidget(m_pTree, 1);
    pMiddle->addLayout(pButtons);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pNotice);
    pLayout->addLayout(pMiddle, 1);
    pLayout->addWidget(pClose);
    resize(460, 420);

    connect(m_pTree, &QTreeWidget::itemChanged, this, &CFavoritesOrganizer::HandleEdited);
    connect(m_pTree, &QTreeWidget::itemSelectionChanged, this, &CFavoritesOrganizer::UpdateButtons);
    connect(m_pTree, &COrganizerTree::MoveRequested, this, &CFavoritesOrganizer::MoveInto);
    Reload();
    m_pTree->setFocus();
}

void CFavoritesOrganizer::Reload()
{
    QSet<QString> open;
    for (QTreeWidgetItemIterator it(m_pTree); *it; ++it)
        if ((*it)->isExpanded())
            open.insert(PathOf(*it));
    const QStringList chosen = ChosenPaths();

    m_bFilling = true;
    m_pTree->clear();
    auto* pRoot = new QTreeWidgetItem(m_pTree, {tr("Favorites")});
    pRoot->setData(0, kPathRole, m_root);
    pRoot->setData(0, kFolderRole, true);
    pRoot->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    pRoot->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled);
    AddEntries(pRoot, m_root);
    pRoot->setExpanded(true);
    for (QTreeWidgetItemIterator it(m_pTree); *it; ++it) {
        if (open.contains(PathOf(*it)))
            (*it)->setExpanded(true);
        if (chosen.contains(PathOf(*it)))
            (*it)->setSelected(true);
    }
    m_bFilling = false;
    UpdateButtons();
}

void CFavoritesOrganizer::AddEntries(QTreeWidgetItem* pParent, const QString& folder)
{
    std::vector<FavoriteEntry> entries;
    ReadFavoritesFolder(folder, QString(), 1, &entries);
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileLinkIcon);
    const std::function<void(QTreeWidgetItem*, const std::vector<FavoriteEntry>&)> add =
        [&](QTreeWidgetItem* pUnder, const std::vector<FavoriteEntry>& level) {
            for (const FavoriteEntry& entry : level) {
                const QString path = QFile::decodeName(entry.record.nativePath);
                auto* pItem = new QTreeWidgetItem(pUnder, {CFavoriteFiles::ShownName(path)});
                pItem->setData(0, kPathRole, path);
                pItem->setData(0, kFolderRole, entry.record.IsFolder());
                pItem->setIcon(0, entry.record.IsFolder() ? folderIcon : fileIcon);
                Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                      Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
                if (entry.record.IsFolder())
                    flags |= Qt::ItemIsDropEnabled;
                pItem->setFlags(flags);
                add(pItem, entry.children);
            }
        };
    add(pParent, entries);
}

QTreeWidgetItem* CFavoritesOrganizer::ItemOf(const QString& path) const
{
    const QString clean = QDir::cleanPath(path);
    for (QTreeWidgetItemIterator it(m_pTree); *it; ++it)
        if (PathOf(*it) == clean)
            return *it;
    return nullptr;
}

QStringList CFavoritesOrganizer::ChosenPaths() const
{
    QStringList paths;
    for (const QTreeWidgetItem* pItem : m_pTree->selectedItems())
        if (pItem->parent() != nullptr) // the Favorites folder itself is not changed
            paths << PathOf(pItem);
    return paths;
}

QString CFavoritesOrganizer::ChosenFolder() const
{
    const QTreeWidgetItem* pItem = m_pTree->currentItem();
    if (pItem == nullptr)
        return m_root;
    return IsFolder(pItem) ? PathOf(pItem) : ParentFolder(PathOf(pItem));
}

void CFavoritesOrganizer::Choose(const QString& path)
{
    if (QTreeWidgetItem* pItem = ItemOf(path)) {
        m_pTree->clearSelection();
        m_pTree->setCurrentItem(pItem);
        pItem->setSelected(true);
        m_pTree->scrollToItem(pItem);
    }
}

void CFavoritesOrganizer::UpdateButtons()
{
    const bool bChosen = !ChosenPaths().isEmpty();
    m_pRename->setEnabled(ChosenPaths().size() == 1);
    m_pDelete->setEnabled(bChosen);
    m_pCut->setEnabled(bChosen);
    m_pPaste->setEnabled(!m_cut.isEmpty());
}

void CFavoritesOrganizer::OnNewFolder()
{
    const QString folder = ChosenFolder();
    QString name = tr("New Folder");
    for (int n = 2; QFileInfo::exists(QDir(folder).filePath(name)); ++n)
        name = tr("New Folder (%1)").arg(n);
    QString path;
    const CFavoriteFiles::Result result = m_files.NewFolder(folder, name, &path);
    if (result != CFavoriteFiles::Result::Ok) {
        Tell(CFavoriteFiles::Describe(result, name));
        return;
    }
    emit Changed();
    Reload();
    Choose(path);
    // The user names it at once.
    if (QTreeWidgetItem* pItem = ItemOf(path))
        m_pTree->editItem(pItem);
}

void CFavoritesOrganizer::OnRename()
{
    const QStringList paths = ChosenPaths();
    if (paths.size() == 1)
        if (QTreeWidgetItem* pItem = ItemOf(paths.first()))
            m_pTree->editItem(pItem);
}

void CFavoritesOrganizer::HandleEdited(QTreeWidgetItem* pItem)
{
    if (m_bFilling)
        return;
    const QString path = PathOf(pItem);
    const QString name = pItem->text(0);
    if (name == CFavoriteFiles::ShownName(path))
        return;
    // The tree shows the files as they are until the rename is done (or refused).
    m_bFilling = true;
    pItem->setText(0, CFavoriteFiles::ShownName(path));
    m_bFilling = false;
    Rename(path, name, false);
}

void CFavoritesOrganizer::Rename(const QString& path, const QString& name, bool bReplace)
{
    QString newPath;
    const CFavoriteFiles::Result result = m_files.Rename(path, name, bReplace, &newPath);
    if (result == CFavoriteFiles::Result::Exists) {
        Ask(tr("There is already a favorite named \"%1\" there. Replace it?").arg(name),
            [this, path, name] { Rename(path, name, true); });
        return;
    }
    if (result != CFavoriteFiles::Result::Ok) {
        Tell(CFavoriteFiles::Describe(result, name));
        return;
    }
    emit Changed();
    Reload();
    Choose(newPath);
}

void CFavoritesOrganizer::OnDelete()
{
    Delete(ChosenPaths(), false);
}

void CFavoritesOrganizer::Delete(const QStringList& paths, bool bForGood)
{
    QStringList noTrash;
    QStringList failed;
    bool bChanged = false;
    for (const QString& path : paths) {
        const CFavoriteFiles::Result result = m_files.Delete(path, bForGood);
        if (result == CFavoriteFiles::Result::Ok)
            bChanged = true;
        else if (result == CFavoriteFiles::Result::NoTrash)
            noTrash << path;
        else if (result != CFavoriteFiles::Result::Missing)
            failed << CFavoriteFiles::Describe(result, CFavoriteFiles::ShownName(path));
    }
    if (bChanged) {
        emit Changed();
        Reload();
    }
    if (!failed.isEmpty())
        Tell(failed.join(QLatin1Char('\n')));
    else if (!noTrash.isEmpty())
        Ask(tr("There is no trash to move %1 to. Delete for good?")
                .arg(noTrash.size() == 1
                         ? QStringLiteral("\"%1\"").arg(CFavoriteFiles::ShownName(noTrash.first()))
                         : tr("%1 entries").arg(noTrash.size())),
            [this, noTrash] { Delete(noTrash, true); });
}

void CFavoritesOrganizer::OnCut()
{
    m_cut = ChosenPaths();
    UpdateButtons();
}

void CFavoritesOrganizer::OnPaste()
{
    const QStringList paths = std::exchange(m_cut, {});
    UpdateButtons();
    MoveInto(paths, ChosenFolder());
}

void CFavoritesOrganizer::MoveInto(const QStringList& paths, const QString& folder)
{
    QStringList existing;
    QStringList failed;
    QString last;
    for (const QString& path : paths) {
        QString newPath;
        const CFavoriteFiles::Result result = m_files.Move(path, folder, false, &newPath);
        if (result == CFavoriteFiles::Result::Ok)
            last = newPath;
        else if (result == CFavoriteFiles::Result::Exists)
            existing << path;
        else
            failed << CFavoriteFiles::Describe(result, CFavoriteFiles::ShownName(path));
    }
    if (!last.isEmpty()) {
        emit Changed();
        Reload();
        Choose(last);
    }
    if (!failed.isEmpty()) {
        Tell(failed.join(QLatin1Char('\n')));
        return;
    }
    if (existing.isEmpty())
        return;
    Ask(tr("%1 already there. Replace?")
            .arg(existing.size() == 1
                     ? tr("A favorite named \"%1\" is").arg(CFavoriteFiles::ShownName(existing[0]))
                     : tr("Favorites of %1 of these names are").arg(existing.size())),
        [this, existing, folder] {
            for (const QString& path : existing)
                m_files.Move(path, folder, true);
            emit Changed();
            Reload();
        });
}

void CFavoritesOrganizer::Ask(const QString& text, std::function<void()> onYes)
{
    auto* pBox = new QMessageBox(QMessageBox::Question, windowTitle(), text,
                                 QMessageBox::Yes | QMessageBox::No, this);
    pBox->setDefaultButton(QMessageBox::No);
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    connect(pBox, &QMessageBox::finished, this, [onYes](int nResult) {
        if (nResult == QMessageBox::Yes)
            onYes();
    });
    pBox->open();
}

void CFavoritesOrganizer::Tell(const QString& text)
{
    auto* pBox = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    pBox->setAttribute(Qt::WA_DeleteOnClose);
    pBox->open();
}
