// SPDX-License-Identifier: GPL-3.0-or-later
#include "AddressBar.h"

#include "platform/KeyCodes.h"
#include "res/Resource.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include <functional>

namespace {
// The combo box tells when its list opens and closes. The close is reported after the
// current event, so that the selection made from the list still sees the list as dropped
// down (the list hides before it announces the choice).
class CAddressCombo : public QComboBox
{
public:
    using QComboBox::QComboBox;

    std::function<void(bool)> m_onDroppedDown;

    void showPopup() override
    {
        QComboBox::showPopup();
        if (view() != nullptr && view()->window()->isVisible() && m_onDroppedDown)
            m_onDroppedDown(true);
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_onDroppedDown)
                    m_onDroppedDown(false);
            },
            Qt::QueuedConnection);
    }
};
} // namespace

CAddressBar::CAddressBar(QWidget* parent) : QWidget(parent)
{
    auto* combo = new CAddressCombo(this);
    combo->setObjectName(QStringLiteral("addressCombo"));
    combo->setProperty("controlId", IDC_ADDRESS_COMBO);
    combo->setEditable(true);
    // The list holds the typed-address history that the workspace fills; Enter must not add
    // to it, and the field must not complete what is typed.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(12);
    combo->setFocusPolicy(Qt::StrongFocus);
    // The address field's context menu is the workspace's, asked for by the frame.
    combo->lineEdit()->setContextMenuPolicy(Qt::PreventContextMenu);
    combo->setAccessibleName(QStringLiteral("Address"));
    combo->lineEdit()->setAccessibleName(combo->accessibleName());
    combo->m_onDroppedDown = [this](bool bDropped) { OnDroppedDown(bDropped); };
    connect(combo, &QComboBox::activated, this, &CAddressBar::OnSelEndOk);
    m_pCombo = combo;
    setFocusProxy(combo);
}

QLineEdit* CAddressBar::GetEdit() const
{
    return m_pCombo->lineEdit();
}

QSize CAddressBar::sizeHint() const
{
    return QSize(m_pCombo->sizeHint().width(), m_pCombo->sizeHint().height());
}

QSize CAddressBar::minimumSizeHint() const
{
    return QSize(m_pCombo->minimumSizeHint().width(), m_pCombo->sizeHint().height());
}

void CAddressBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The combo box keeps its height and takes the bar's width.
    const int cy = m_pCombo->sizeHint().height();
    m_pCombo->setGeometry(0, qMax(0, (height() - cy) / 2), width(), cy);
}

void CAddressBar::OnDroppedDown(bool bDropped)
{
    m_bDroppedDown = bDropped;
}

void CAddressBar::OnSelEndOk()
{
    if (!m_bDroppedDown)
        return;
    // The frame's key routing takes this like Enter typed into the field.
    QCoreApplication::postEvent(this,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
}
