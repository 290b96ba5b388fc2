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
// first, so the result never depends on the listing. Only for the walk's own items.
bool NameLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b)
{
    const FAVITEMDATA& ra = static_cast<const CFavoriteItem*>(a)->Record();
    const FAVITEMDATA& rb = static_cast<const CFavoriteItem*>(b)->Record();
    const int lowered = CompareLowered(ra.pszName, rb.pszName);
    if (lowered != 0)
        return lowered < 0;
    if (ra.pszName != rb.pszName)
        return ra.pszName < rb.pszName;
    return ra.IsFolder() && !rb.IsFolder();
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
    explicit Walk(QTreeWidget* pTree, int nSort) : sort(nSort)
    {
        const QVariant images = pTree->property(kImagesProperty);
        if (images.isValid()) {
            const QList<QPixmap> list = images.value<QList<QPixmap>>();
            folderIcon = MakeIcon(list, FAV_IMAGE_FOLDER, FAV_IMAGE_FOLDER_SELECTED);
            shortcutIcon = MakeIcon(list, FAV_IMAGE_SHORTCUT, FAV_IMAGE_SHORTCUT_SELECTED);
            bIcons = true;
        }
    }
    int sort;
    std::set<NativeDirId> walked; // directories already listed in this fill
    // One picture of each kind, shared by all the items of the fill.
    bool bIcons = false;
    QIcon folderIcon;
    QIcon shortcutIcon;
};

// The items of one directory and, below them, of its sub-directories, built apart from the
// tree so that it takes them in one step.
bool WalkFolder(Walk& walk, const QByteArray& path, QList<QTreeWidgetItem*>* pItems)
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
            const QString name = QString::fromUtf8(entry.name);
            QTreeWidgetItem* item =
                NewItem({FAV_FOLDER, name, QByteArray(), full}, name, FAV_IMAGE_FOLDER,
                        FAV_IMAGE_FOLDER_SELECTED, walk.bIcons ? &walk.folderIcon : nullptr);
            QList<QTreeWidgetItem*> children;
            WalkFolder(walk, full, &children);
            item->addChildren(children);
            pItems->append(item);
        } else if (HasUrlSuffix(entry.name)) {
            const QString name = QString::fromUtf8(entry.name.chopped(kUrlSuffix.size()));
            pItems->append(NewItem({FAV_SHORTCUT, name, ReadShortcutAddressAt(full), full}, name,
                                   FAV_IMAGE_SHORTCUT, FAV_IMAGE_SHORTCUT_SELECTED,
                                   walk.bIcons ? &walk.shortcutIcon : nullptr));
        }
    }
    // The file system's own order is a hash order on Linux: without the sort setting the
    // names are listed alphabetically.
    std::stable_sort(pItems->begin(), pItems->end(), walk.sort != 0 ? ItemLess : NameLess);
    return true;
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

bool FillFavoritesTree(const QString& folder, const QString& subfolder, QTreeWidget* tree,
                       QTreeWidgetItem* parent, int sort)
{
    // An empty path would otherwise name the root of the file system.
    if (folder.isEmpty() || !tree)
        return false;
    QByteArray path = QFile::encodeName(folder);
    if (!subfolder.isEmpty())
        path += '/' + QFile::encodeName(subfolder);
    Walk walk(tree, sort);
    QList<QTreeWidgetItem*> items;
    if (!WalkFolder(walk, path, &items))
        return false;
    QTreeWidgetItem* target = parent ? parent : tree->invisibleRootItem();
    target->addChildren(items);
    if (sort != 0) {
        // The whole level, with what the caller put there first (the add entry).
        QList<QTreeWidgetItem*> children = target->takeChildren();
        std::stable_sort(children.begin(), children.end(), ItemLess);
        target->addChildren(children);
    }
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
