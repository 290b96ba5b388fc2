// SPDX-License-Identifier: GPL-3.0-or-later
#include "FavoritesStore.h"

#include "ShortcutFile.h"
#include "platform/NativeFiles.h"

#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QVariant>

#include <algorithm>
#include <set>

namespace {
const char kImagesProperty[] = "nuvFavoritesImages";
constexpr int kFavoriteItemType = QTreeWidgetItem::UserType + 1;
const QByteArray kUrlSuffix = QByteArrayLiteral(".url");

class CFavoriteItem : public QTreeWidgetItem
{
public:
    explicit CFavoriteItem(FAVITEMDATA record)
        : QTreeWidgetItem(kFavoriteItemType), m_record(std::move(record))
    {
    }
    const FAVITEMDATA& Record() const { return m_record; }

private:
    FAVITEMDATA m_record;
};

QIcon MakeIcon(const QList<QPixmap>& images, int image, int selected)
{
    QIcon icon;
    if (image >= 0 && image < images.size())
        icon.addPixmap(images[image], QIcon::Normal);
    if (selected >= 0 && selected < images.size())
        icon.addPixmap(images[selected], QIcon::Selected);
    return icon;
}

void ApplyImages(QTreeWidgetItem* item, const QList<QPixmap>& images)
{
    item->setIcon(0, MakeIcon(images, item->data(0, kFavImageRole).toInt(),
                              item->data(0, kFavSelectedImageRole).toInt()));
}

void ApplyImagesBelow(QTreeWidgetItem* parent, const QList<QPixmap>& images)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (FavoriteRecord(child))
            ApplyImages(child, images);
        ApplyImagesBelow(child, images);
    }
}

bool ItemLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b)
{
    return CompareFavorites(FavoriteRecord(a), FavoriteRecord(b)) < 0;
}

bool HasUrlSuffix(const QByteArray& name)
{
    return name.size() >= kUrlSuffix.size() &&
           name.right(kUrlSuffix.size()).toLower() == kUrlSuffix;
}

// Unit by unit in lower case, as the names would compare after both were lowered.
int CompareLowered(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = a[i].toLower().unicode();
        const char16_t cb = b[i].toLower().unicode();
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// By name without regard to case, folders and shortcuts mixed. Names that differ only in
// case come in code unit order, and of a folder and a shortcut of one name the folder comes
// first, so the result never depends on the listing.
bool NameLess(const FavoriteEntry& a, const FavoriteEntry& b)
{
    const FAVITEMDATA& ra = a.record;
    const FAVITEMDATA& rb = b.record;
    const int lowered = CompareLowered(ra.pszName, rb.pszName);
    if (lowered != 0)
        return lowered < 0;
    if (ra.pszName != rb.pszName)
        return ra.pszName < rb.pszName;
    return ra.IsFolder() && !rb.IsFolder();
}

bool EntryLess(const FavoriteEntry& a, const FavoriteEntry& b)
{
    return CompareFavorites(&a.record, &b.record) < 0;
}

// A new item; icon null leaves it without a picture.
QTreeWidgetItem* NewItem(FAVITEMDATA record, const QString& text, int image, int selectedImage,
                         const QIcon* icon)
{
    auto* item = new CFavoriteItem(std::move(record));
    item->setText(0, text);
    item->setData(0, kFavImageRole, image);
    item->setData(0, kFavSelectedImageRole, selectedImage);
    if (icon)
        item->setIcon(0, *icon);
    return item;
}

QTreeWidgetItem* MakeItem(QTreeWidget* tree, FAVITEMDATA record, const QString& text, int image,
                          int selectedImage)
{
    const QVariant images = tree->property(kImagesProperty);
    if (!images.isValid())
        return NewItem(std::move(record), text, image, selectedImage, nullptr);
    const QIcon icon = MakeIcon(images.value<QList<QPixmap>>(), image, selectedImage);
    return NewItem(std::move(record), text, image, selectedImage, &icon);
}

struct Walk
{
    int sort;
    std::set<NativeDirId> walked; // directories already listed in this walk
};

// The entries of one directory and, below them, of its sub-directories.
bool WalkFolder(Walk& walk, const QByteArray& path, std::vector<FavoriteEntry>* pEntries)
{
    NativeDirId id;
    if (NativeDirectoryId(path, &id) && !walk.walked.insert(id).second)
        return true; // reached again through a symbolic link: its content is shown once
    std::vector<NativeDirEntry> entries;
    if (!ListNativeDirectory(path, &entries))
        return false;
    for (const NativeDirEntry& entry : entries) {
        const QByteArray full = path + '/' + entry.name;
        if (entry.bDirectory) {
            if (entry.name.startsWith('.'))
                continue;
            FavoriteEntry folder{{FAV_FOLDER, QString::fromUtf8(entry.name), QByteArray(), full},
                                 {}};
            WalkFolder(walk, full, &folder.children);
            pEntries->push_back(std::move(folder));
        } else if (HasUrlSuffix(entry.name)) {
            const QString name = QString::fromUtf8(entry.name.chopped(kUrlSuffix.size()));
            pEntries->push_back({{FAV_SHORTCUT, name, ReadShortcutAddressAt(full), full}, {}});
        }
    }
    // The file system's own order is a hash order on Linux: without the sort setting the
    // names are listed alphabetically.
    std::stable_sort(pEntries->begin(), pEntries->end(), walk.sort != 0 ? EntryLess : NameLess);
    return true;
}

// The pictures of the two kinds of item a walk finds, one of each shared by all its items.
struct WalkIcons
{
    explicit WalkIcons(const QTreeWidget* pTree)
    {
        const QVariant images = pTree->property(kImagesProperty);
        if (!images.isValid())
            return;
        const QList<QPixmap> list = images.value<QList<QPixmap>>();
        folder = MakeIcon(list, FAV_IMAGE_FOLDER, FAV_IMAGE_FOLDER_SELECTED);
        shortcut = MakeIcon(list, FAV_IMAGE_SHORTCUT, FAV_IMAGE_SHORTCUT_SELECTED);
        bIcons = true;
    }
    bool bIcons = false;
    QIcon folder;
    QIcon shortcut;
};

// The items of the entries, built apart from the tree so that it takes them in one step.
QList<QTreeWidgetItem*> BuildItems(const WalkIcons& icons, std::vector<FavoriteEntry>& entries)
{
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(entries.size()));
    for (FavoriteEntry& entry : entries) {
        const bool bFolder = entry.record.IsFolder();
        const QString name = entry.record.pszName;
        QTreeWidgetItem* item =
            NewItem(std::move(entry.record), name, bFolder ? FAV_IMAGE_FOLDER : FAV_IMAGE_SHORTCUT,
                    bFolder ? FAV_IMAGE_FOLDER_SELECTED : FAV_IMAGE_SHORTCUT_SELECTED,
                    icons.bIcons ? (bFolder ? &icons.folder : &icons.shortcut) : nullptr);
        if (!entry.children.empty())
            item->addChildren(BuildItems(icons, entry.children));
        items.append(item);
    }
    return items;
}
} // namespace

void SetFavoritesImageList(QTreeWidget* tree, const QList<QPixmap>& images)
{
    tree->setProperty(kImagesProperty, QVariant::fromValue(images));
    ApplyImagesBelow(tree->invisibleRootItem(), images);
}

QTreeWidgetItem* InsertFavoriteItem(QTreeWidget* tree, QTreeWidgetItem* parent, FAVITEMDATA record,
                                    const QString& text, int image, int selectedImage)
{
    QTreeWidgetItem* item = MakeItem(tree, std::move(record), text, image, selectedImage);
    (parent ? parent : tree->invisibleRootItem())->addChild(item);
    return item;
}

const FAVITEMDATA* FavoriteRecord(const QTreeWidgetItem* item)
{
    // Not by type(): QTreeWidgetItem::clone() copies the type into plain items.
    const auto* favorite = dynamic_cast<const CFavoriteItem*>(item);
    return favorite ? &favorite->Record() : nullptr;
}

bool ReadFavoritesFolder(const QString& folder, const QString& subfolder, int sort,
                         std::vector<FavoriteEntry>* pEntries)
{
    // An empty path would otherwise name the root of the file system.
    if (folder.isEmpty())
        return false;
    QByteArray path = QFile::encodeName(folder);
    if (!subfolder.isEmpty())
        path += '/' + QFile::encodeName(subfolder);
    Walk walk{sort, {}};
    return WalkFolder(walk, path, pEntries);
}

void AddFavoriteEntries(QTreeWidget* tree, QTreeWidgetItem* parent,
                        std::vector<FavoriteEntry> entries, int sort)
{
    QTreeWidgetItem* target = parent ? parent : tree->invisibleRootItem();
    target->addChildren(BuildItems(WalkIcons(tree), entries));
    if (sort != 0) {
        // The whole level, with what the caller put there first (the add entry).
        QList<QTreeWidgetItem*> children = target->takeChildren();
        std::stable_sort(children.begin(), children.end(), ItemLess);
        target->addChildren(children);
    }
}

bool FillFavoritesTree(const QString& folder, const QString& subfolder, QTreeWidget* tree,
                       QTreeWidgetItem* parent, int sort)
{
    std::vector<FavoriteEntry> entries;
    if (!tree || !ReadFavoritesFolder(folder, subfolder, sort, &entries))
        return false;
    AddFavoriteEntries(tree, parent, std::move(entries), sort);
    return true;
}

int CompareFavorites(const FAVITEMDATA* pRecord1, const FAVITEMDATA* pRecord2)
{
    if (pRecord1 && pRecord2 && pRecord1->IsAddEntry() && pRecord2->IsAddEntry())
        return 0; // keeps the order strict, should there ever be two
    if (pRecord1 && pRecord1->IsAddEntry())
        return -1;
    if (pRecord2 && pRecord2->IsAddEntry())
        return 1;
    if (!pRecord1 || !pRecord2)
        return 0;
    if (pRecord1->IsFolder() != pRecord2->IsFolder())
        return pRecord1->IsFolder() ? -1 : 1;
    if (pRecord1->IsFolder())
        return pRecord1->pszName.compare(pRecord2->pszName, Qt::CaseSensitive);
    return CompareLowered(pRecord1->pszName, pRecord2->pszName);
}
