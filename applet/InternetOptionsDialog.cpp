// SPDX-License-Identifier: GPL-3.0-or-later
#include "InternetOptionsDialog.h"

#include "platform/RegistryStore.h"

#include <QAction>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtEndian>

// Plain literals throughout: a QStringLiteral's text lives in this library and would dangle
// in any copy Qt keeps after the library is unloaded.
namespace {
const char* const kMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
const char* const kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char* const kFontKey = "Software\\Microsoft\\Internet Explorer\\International\\932";
const char* const kFontSize = "IEFontSize";
const int kTypedSlots = 10;

// The page addresses of the Main key: value name, field name, label, what an empty field
// means.
const struct
{
    const char* pszValue;
    const char* pszObjectName;
    const char* pszLabel;
    const char* pszEmpty;
} kPages[] = {
    {"Start Page", "startPage", "&Start page:", "The browser's own page"},
    {"Windows CE Page", "handheldPage", "Handheld PC &Web page:", "None"},
    {"Search Page", "searchPage", "Searc&h page:", "The browser's own page"},
};

// Named as the View menu names the text sizes.
const char* const kTextSizeLabels[] = {"Smalles&t", "S&maller", "Me&dium", "&Large", "Lar&gest"};

bool SameName(const RegValue& value, const QString& name)
{
    return value.name.compare(name, Qt::CaseInsensitive) == 0;
}

QString StringValue(const RegKeyData* key, const QString& name)
{
    const RegValue* value = key ? key->Find(name) : nullptr;
    return value && value->type == REG_SZ ? value->text : QString();
}

// "IEFontSize" holds the level - 1 as a 32-bit little-endian number; 0 when it is no level.
int TextSizeLevel(const RegKeyData* key)
{
    const RegValue* value = key ? key->Find(QString::fromLatin1(kFontSize)) : nullptr;
    if (value == nullptr)
        return 0;
    quint32 size = 0;
    if (value->type == REG_DWORD) {
        size = value->dword;
    } else if (value->type == REG_BINARY && value->data.size() <= 4) {
        QByteArray bytes = value->data;
        bytes.append(QByteArray(4 - bytes.size(), '\0'));
        size = qFromLittleEndian<quint32>(bytes.constData());
    } else {
        return 0;
    }
    return size < 5 ? int(size) + 1 : 0;
}

// An empty page removes the value, so the program falls back to its own page.
void SetOrRemove(RegKeyData& key, const QString& name, const QString& text)
{
    if (text.isEmpty())
        key.values.removeIf([&](const RegValue& v) { return SameName(v, name); });
    else if (RegValue* value = key.Find(name))
        *value = RegValue::String(value->name, text);
    else
        key.values.append(RegValue::String(name, text));
}
} // namespace

CInternetOptionsDialog::CInternetOptionsDialog(QWidget* pParent) : QDialog(pParent)
{
    setWindowTitle(QString::fromUtf8("Internet Options"));

    auto* pages = new QGroupBox(QString::fromUtf8("Pages"), this);
    auto* pagesForm = new QFormLayout(pages);
    for (const auto& page : kPages) {
        auto* edit = new QLineEdit(pages);
        edit->setObjectName(QString::fromUtf8(page.pszObjectName));
        edit->setPlaceholderText(QString::fromUtf8(page.pszEmpty));
        edit->setClearButtonEnabled(true);
        edit->setMinimumWidth(320);
        pagesForm->addRow(QString::fromUtf8(page.pszLabel), edit);
        // Qt leaves the field's clear button without a name for screen readers.
        for (QToolButton* clear : edit->findChildren<QToolButton*>())
            clear->setAccessibleName(QString::fromUtf8("Clear"));
        m_pages.append({page.pszValue, edit, QString()});
    }

    auto* typed = new QGroupBox(QString::fromUtf8("Typed addresses"), this);
    m_pTypedList = new QListWidget(typed);
    m_pTypedList->setObjectName(QString::fromUtf8("typedAddresses"));
    m_pTypedList->setAccessibleName(typed->title());
    m_pTypedList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTypedList->setMinimumHeight(120);
    m_pRemove = new QPushButton(QString::fromUtf8("&Remove"), typed);
    m_pRemove->setObjectName(QString::fromUtf8("removeAddress"));
    m_pClearAll = new QPushButton(QString::fromUtf8("&Clear All"), typed);
    m_pClearAll->setObjectName(QString::fromUtf8("clearAddresses"));
    auto* typedButtons = new QVBoxLayout;
    typedButtons->addWidget(m_pRemove);
    typedButtons->addWidget(m_pClearAll);
    typedButtons->addStretch();
    auto* typedLayout = new QHBoxLayout(typed);
    typedLayout->addWidget(m_pTypedList, 1);
    typedLayout->addLayout(typedButtons);

    auto* removeKey = new QAction(m_pTypedList);
    removeKey->setShortcut(QKeySequence::Delete);
    removeKey->setShortcutContext(Qt::WidgetShortcut);
    m_pTypedList->addAction(removeKey);
    connect(removeKey, &QAction::triggered, this, [this] { RemoveSelectedAddresses(); });
    connect(m_pRemove, &QPushButton::clicked, this, [this] { RemoveSelectedAddresses(); });
    connect(m_pClearAll, &QPushButton::clicked, this, [this] { RemoveAllAddresses(); });
    connect(m_pTypedList, &QListWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });

    auto* size = new QGroupBox(QString::fromUtf8("Text size"), this);
    auto* sizeLayout = new QHBoxLayout(size);
    m_pTextSize = new QButtonGroup(this);
    for (int level = 1; level <= 5; ++level) {
        auto* button = new QRadioButton(QString::fromUtf8(kTextSizeLabels[level - 1]), size);
        button->setObjectName(QString::fromUtf8("textSize%1").arg(level));
        m_pTextSize->addButton(button, level);
        sizeLayout->addWidget(button);
    }
    sizeLayout->addStretch();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(typed, 1);
    layout->addWidget(size);
    layout->addWidget(buttons);

    Load();
}

void CInternetOptionsDialog::Load()
{
    const RegistryData data = CRegistryStore().Read();
    const RegKeyData* main = data.FindKey(QString::fromLatin1(kMainKey));
    for (PageField& page : m_pages) {
        page.strStored = StringValue(main, QString::fromLatin1(page.pszValue));
        page.pEdit->setText(page.strStored);
    }

    const RegKeyData* typed = data.FindKey(QString::fromLatin1(kTypedUrlsKey));
    for (int i = kTypedSlots; i >= 1; --i) {
        const QString name = QString::fromUtf8("url%1").arg(i);
        const QString text = StringValue(typed, name);
        if (!text.isEmpty()) {
            m_typed.append({name, text});
            m_pTypedList->addItem(text);
        }
    }

    m_nTextSize = TextSizeLevel(data.FindKey(QString::fromLatin1(kFontKey)));
    if (QAbstractButton* button = m_pTextSize->button(m_nTextSize))
        button->setChecked(true);
    UpdateButtons();
}

void CInternetOptionsDialog::RemoveSelectedAddresses()
{
    for (int row = m_pTypedList->count() - 1; row >= 0; --row) {
        if (!m_pTypedList->item(row)->isSelected())
            continue;
        m_removed.append(m_typed.takeAt(row));
        delete m_pTypedList->takeItem(row);
    }
    UpdateButtons();
}

void CInternetOptionsDialog::RemoveAllAddresses()
{
    m_removed.append(m_typed);
    m_typed.clear();
    m_pTypedList->clear();
    UpdateButtons();
}

void CInternetOptionsDialog::UpdateButtons()
{
    m_pRemove->setEnabled(!m_pTypedList->selectedItems().isEmpty());
    m_pClearAll->setEnabled(m_pTypedList->count() > 0);
}

bool CInternetOptionsDialog::Save()
{
    QList<const PageField*> changedPages;
    for (const PageField& page : std::as_const(m_pages))
        if (page.pEdit->text() != page.strStored)
            changedPages.append(&page);
    const int nTextSize = m_pTextSize->checkedId();
    const bool bSizeChanged = nTextSize > 0 && nTextSize != m_nTextSize;
    if (changedPages.isEmpty() && !bSizeChanged && m_removed.isEmpty())
        return true;

    return CRegistryStore().Update([&](RegistryData& data) {
        if (!changedPages.isEmpty()) {
            RegKeyData& main = data.CreateKey(QString::fromLatin1(kMainKey));
            for (const PageField* page : std::as_const(changedPages))
                SetOrRemove(main, QString::fromLatin1(page->pszValue),
                            page->pEdit->text().trimmed());
        }
        // A removed address goes with its value, so it does not come back at the next
        // start; a value that changed meanwhile is someone else's and stays.
        if (RegKeyData* typed = data.FindKey(QString::fromLatin1(kTypedUrlsKey))) {
            for (const TypedAddress& removed : std::as_const(m_removed)) {
                typed->values.removeIf([&](const RegValue& v) {
                    return SameName(v, removed.name) && v.type == REG_SZ && v.text == removed.text;
                });
            }
        }
        if (bSizeChanged) {
            QByteArray bytes(4, '\0');
            qToLittleEndian<quint32>(quint32(nTextSize - 1), bytes.data());
            RegKeyData& font = data.CreateKey(QString::fromLatin1(kFontKey));
            if (RegValue* value = font.Find(QString::fromLatin1(kFontSize)))
                *value = RegValue::Binary(value->name, bytes);
            else
                font.values.append(RegValue::Binary(QString::fromLatin1(kFontSize), bytes));
        }
    });
}

void CInternetOptionsDialog::accept()
{
    if (!Save()) {
        QMessageBox::warning(this, windowTitle(),
                             QString::fromUtf8("The settings could not be saved to %1.")
                                 .arg(CRegistryStore::DefaultPath()));
        return;
    }
    QDialog::accept();
}
