// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenAddressDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString COpenAddressDlg::s_strLastAddress;
int COpenAddressDlg::s_bNoRecord = 0;
int COpenAddressDlg::s_bNewWindow = 0;

namespace {
// Wide enough for a typical address without scrolling.
constexpr int kAddressChars = 48;
} // namespace

COpenAddressDlg::COpenAddressDlg(const QString* pHistory, int nHistory, QWidget* pParent)
    : CNuvDialog(pParent)
{
    setWindowTitle(QStringLiteral("Open Internet Address"));

    auto* prompt = new QLabel(QStringLiteral("Type the address of a document, or computer on the "
                                             "internet and nuvBrowser will open it for you."),
                              this);
    prompt->setWordWrap(true);
    prompt->setTextFormat(Qt::PlainText);

    m_cbAddress = DlgItem(new QComboBox(this), IDC_ADDRESS);
    m_cbAddress->setEditable(true);
    m_cbAddress->setInsertPolicy(QComboBox::NoInsert);
    m_cbAddress->setDuplicatesEnabled(true);
    m_cbAddress->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cbAddress->setMinimumContentsLength(kAddressChars);
    m_cbAddress->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The field takes what is typed as it stands: no completion from the list.
    m_cbAddress->setCompleter(nullptr);
    auto* addressLabel = new QLabel(QStringLiteral("&Address:"), this);
    addressLabel->setBuddy(m_cbAddress);
    m_cbAddress->lineEdit()->setAccessibleName(QStringLiteral("Address"));

    m_btnBrowse = DlgItem(new QPushButton(QStringLiteral("&Browse..."), this), IDC_BROWSE);
    m_btnBrowse->setAutoDefault(false);
    connect(m_btnBrowse, &QPushButton::clicked, this, &COpenAddressDlg::OnBrowse);
    m_btnNewWindow = DlgItem(new QCheckBox(QStringLiteral("New Window"), this), IDC_NEW_WINDOW);
    m_btnNoRecord =
        DlgItem(new QCheckBox(QStringLiteral("No Record of Input Address"), this), IDC_NO_RECORD);

    auto* grid = new QGridLayout;
    grid->addWidget(addressLabel, 0, 0);
    grid->addWidget(m_cbAddress, 0, 1);
    grid->addWidget(m_btnBrowse, 0, 2);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(m_btnNewWindow);
    boxes->addSpacing(12);
    boxes->addWidget(m_btnNoRecord);
    boxes->addStretch(1);
    grid->addLayout(boxes, 1, 1, 1, 2);

    auto* top = new QHBoxLayout;
    top->addWidget(CreateIcon(QStringLiteral(":/res/icon138.png"), 32, this), 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addWidget(prompt, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(CreateButtons(true));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The newest typed address first; empty slots are left out.
    for (int i = nHistory - 1; pHistory != nullptr && i >= 0; --i)
        if (!pHistory[i].isEmpty())
            m_cbAddress->addItem(pHistory[i]);
    m_btnNoRecord->setChecked(s_bNoRecord != 0);
    m_btnNewWindow->setChecked(s_bNewWindow != 0);
    m_cbAddress->setCurrentIndex(-1);
    m_cbAddress->setEditText(s_strLastAddress);
    m_cbAddress->lineEdit()->selectAll();

    setTabOrder(m_cbAddress, m_btnBrowse);
    setTabOrder(m_btnBrowse, m_btnNewWindow);
    setTabOrder(m_btnNewWindow, m_btnNoRecord);
    m_cbAddress->setFocus();
}

QFileDialog* COpenAddressDlg::BrowseDialog() const
{
    return findChild<QFileDialog*>();
}

void COpenAddressDlg::OnBrowse()
{
    if (BrowseDialog() != nullptr)
        return;
    auto* dialog = new QFileDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    // The chosen file's full path goes into the field as it stands: no scheme is added.
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        if (!path.isEmpty())
            m_cbAddress->setEditText(path);
        m_cbAddress->setFocus();
    });
    dialog->open();
}

void COpenAddressDlg::OnOK()
{
    m_strEntered = m_cbAddress->currentText();
    if (m_strEntered.isEmpty())
        return;
    s_bNoRecord = m_btnNoRecord->isChecked() ? 1 : 0;
    s_bNewWindow = m_btnNewWindow->isChecked() ? 1 : 0;
    s_strLastAddress = m_strEntered;
    accept();
}
