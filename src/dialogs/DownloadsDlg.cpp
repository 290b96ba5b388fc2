// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/DownloadsDlg.h"

#include "panes/DownloadList.h"
#include "platform/ShellServices.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

// One download: its texts and progress on the left, its buttons on the right.
class CDownloadsDlg::CRow : public QWidget
{
public:
    CRow(CDownloadList* pList, qint64 nId, QWidget* pParent)
        : QWidget(pParent), m_pList(pList), m_nId(nId)
    {
        m_pName = new QLabel(this);
        QFont bold = m_pName->font();
        bold.setBold(true);
        m_pName->setFont(bold);
        m_pAddress = new QLabel(this);
        m_pAddress->setForegroundRole(QPalette::PlaceholderText);
        m_pProgress = new QProgressBar(this);
        m_pProgress->setTextVisible(false);
        m_pProgress->setMaximumHeight(m_pName->sizeHint().height() * 2 / 3);
        m_pState = new QLabel(this);
        for (QLabel* pLabel : {m_pName, m_pAddress, m_pState}) {
            pLabel->setTextFormat(Qt::PlainText);
            pLabel->setMinimumWidth(1);
        }

        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        texts->addWidget(m_pName);
        texts->addWidget(m_pAddress);
        texts->addWidget(m_pProgress);
        texts->addWidget(m_pState);
        auto* buttons = new QHBoxLayout;
        m_pOpen = AddButton(buttons, "open", tr("&Open"), [this] { Open(); });
        m_pFolder = AddButton(buttons, "folder", tr("Show in &Folder"), [this] {
            if (const CDownloadList::Row* pRow = Row())
                ShowFileInFolder(pRow->record.path);
        });
        m_pCancel = AddButton(buttons, "cancel", tr("&Cancel"), [this] { m_pList->Cancel(m_nId); });
        m_pRetry = AddButton(buttons, "retry", tr("&Retry"), [this] { m_pList->Retry(m_nId); });
        m_pRemove = AddButton(buttons, "remove", tr("Re&move from List"),
                              [this] { m_pList->Remove(m_nId); });
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(6, 4, 6, 4);
        layout->addLayout(texts, 1);
        layout->addLayout(buttons);
        Update();
    }

    void Update()
    {
        const CDownloadList::Row* pRow = Row();
        if (pRow == nullptr)
            return;
        const SDownloadRecord& r = pRow->record;
        const bool bRunning = r.state == SDownloadRecord::Running;
        const bool bFinished = r.state == SDownloadRecord::Finished;
        m_pName->setText(QFileInfo(r.path).fileName());
        m_pName->setToolTip(r.path);
        m_pAddress->setText(r.address);
        m_pAddress->setToolTip(r.address);
        m_pState->setText(CDownloadList::StateText(*pRow));
        m_pProgress->setVisible(bRunning);
        if (bRunning && r.nTotal > 0) {
            m_pProgress->setRange(0, 1000);
            m_pProgress->setValue(int(qBound<qint64>(0, r.nReceived, r.nTotal) * 1000 / r.nTotal));
        } else if (bRunning) {
            m_pProgress->setRange(0, 0); // size unknown: busy
        }
        m_pOpen->setVisible(bFinished);
        m_pOpen->setEnabled(!pRow->bMissing);
        m_pFolder->setVisible(bFinished);
        m_pCancel->setVisible(bRunning);
        m_pRetry->setVisible(!bRunning && (!bFinished || pRow->bMissing));
        m_pRemove->setVisible(!bRunning);
        const QString name = m_pName->text();
        for (QPushButton* pButton : {m_pOpen, m_pFolder, m_pCancel, m_pRetry, m_pRemove})
            pButton->setAccessibleName(pButton->text().remove(QLatin1Char('&')) + QLatin1Char(' ') +
                                       name);
    }

private:
    template <class F>
    QPushButton* AddButton(QHBoxLayout* pLayout, const char* pszName, const QString& text,
                           F onClick)
    {
        auto* pButton = new QPushButton(text, this);
        pButton->setObjectName(QLatin1String(pszName));
        pButton->setAutoDefault(false);
        connect(pButton, &QPushButton::clicked, this, onClick);
        pLayout->addWidget(pButton);
        return pButton;
    }

    const CDownloadList::Row* Row() const { return m_pList ? m_pList->Find(m_nId) : nullptr; }

    void Open()
    {
        const CDownloadList::Row* pRow = Row();
        if (pRow == nullptr)
            return;
        const QString path = pRow->record.path;
        m_pList->CheckFiles();
        if (!QFileInfo::exists(path) || OpenDownloadedFile(path))
            return;
        auto* pBox = new QMessageBox(
            QMessageBox::Warning, QStringLiteral("nuvBrowser"),
            tr("\"%1\" was not opened: it is a program or launcher, or the desktop has no "
               "program to open it with.")
                .arg(QFileInfo(path).fileName()),
            QMessageBox::Ok, window());
        pBox->setAttribute(Qt::WA_DeleteOnClose);
        pBox->open();
    }

    QPointer<CDownloadList> m_pList;
    const qint64 m_nId;
    QLabel* m_pName;
    QLabel* m_pAddress;
    QProgressBar* m_pProgress;
    QLabel* m_pState;
    QPushButton* m_pOpen;
    QPushButton* m_pFolder;
    QPushButton* m_pCancel;
    QPushButton* m_pRetry;
    QPushButton* m_pRemove;
};

CDownloadsDlg::CDownloadsDlg(CDownloadList* pList, QWidget* pParent)
    : QDialog(pParent), m_pList(pList)
{
    setWindowTitle(tr("Downloads"));
    setModal(false);
    m_pRows = new QListWidget(this);
    m_pRows->setAccessibleName(windowTitle());
    m_pRows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pRows->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The rows take the list's width; only the height scrolls.
    m_pRows->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pRows->setResizeMode(QListView::Adjust);
    const QFontMetrics metrics(font());
    m_pRows->setMinimumSize(metrics.averageCharWidth() * 60, metrics.lineSpacing() * 12);
    resize(metrics.averageCharWidth() * 120, metrics.lineSpacing() * 30);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_pClear = pButtons->addButton(tr("C&lear List"), QDialogButtonBox::ActionRole);
    m_pClear->setObjectName(QStringLiteral("clear"));
    m_pClear->setAutoDefault(false); // Enter never empties the list
    connect(m_pClear, &QPushButton::clicked, this, [this] {
        if (m_pList)
            m_pList->ClearEnded();
    });
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pRows, 1);
    layout->addWidget(pButtons);

    const QList<CDownloadList::Row>& rows = pList->Rows();
    for (int i = 0; i < rows.size(); ++i)
        AddRow(rows[i].record.nId, i);
    connect(pList, &CDownloadList::RowAdded, this, [this](qint64 nId) { AddRow(nId, 0); });
    connect(pList, &CDownloadList::RowChanged, this, &CDownloadsDlg::UpdateRow);
    connect(pList, &CDownloadList::RowRemoved, this, &CDownloadsDlg::RemoveRow);
    UpdateClearButton();
}

QWidget* CDownloadsDlg::RowWidget(qint64 nId) const
{
    QListWidgetItem* pItem = m_items.value(nId);
    return pItem ? m_pRows->itemWidget(pItem) : nullptr;
}

void CDownloadsDlg::showEvent(QShowEvent* pEvent)
{
    // A file deleted while the window was closed shows as missing.
    if (m_pList)
        m_pList->CheckFiles();
    QDialog::showEvent(pEvent);
}

void CDownloadsDlg::changeEvent(QEvent* pEvent)
{
    // Back from the file manager, say: look again.
    if (pEvent->type() == QEvent::ActivationChange && isActiveWindow() && m_pList)
        m_pList->CheckFiles();
    QDialog::changeEvent(pEvent);
}

void CDownloadsDlg::AddRow(qint64 nId, int nIndex)
{
    if (m_items.contains(nId))
        return;
    auto* pItem = new QListWidgetItem;
    auto* pRow = new CRow(m_pList, nId, m_pRows);
    pItem->setSizeHint(QSize(1, pRow->sizeHint().height()));
    m_pRows->insertItem(nIndex, pItem);
    m_pRows->setItemWidget(pItem, pRow);
    m_items.insert(nId, pItem);
    UpdateClearButton();
}

void CDownloadsDlg::UpdateRow(qint64 nId)
{
    if (auto* pRow = static_cast<CRow*>(RowWidget(nId))) {
        pRow->Update();
        m_items.value(nId)->setSizeHint(QSize(1, pRow->sizeHint().height()));
    }
    UpdateClearButton();
}

void CDownloadsDlg::RemoveRow(qint64 nId)
{
    delete m_items.take(nId);
    UpdateClearButton();
}

void CDownloadsDlg::UpdateClearButton()
{
    bool bAnyEnded = false;
    if (m_pList)
        for (const CDownloadList::Row& row : m_pList->Rows())
            bAnyEnded = bAnyEnded || row.record.state != SDownloadRecord::Running;
    m_pClear->setEnabled(bAnyEnded);
}
