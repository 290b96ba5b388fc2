// SPDX-License-Identifier: GPL-3.0-or-later
#include "AddressCompleter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextDocument>

namespace {
constexpr int kHtmlRole = Qt::UserRole + 1;

// Draws a row's rich text (title, then the address in the link colour) over the row's
// normal background and selection.
class CCompletionDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        QTextDocument doc;
        doc.setDefaultFont(opt.font);
        doc.setDocumentMargin(2);
        doc.setHtml(index.data(kHtmlRole).toString());
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = opt.palette;
        if (opt.state & QStyle::State_Selected)
            context.palette.setColor(QPalette::Text, opt.palette.color(QPalette::HighlightedText));
        painter->save();
        painter->translate(opt.rect.topLeft());
        painter->setClipRect(QRect(QPoint(0, 0), opt.rect.size()));
        doc.documentLayout()->draw(painter, context);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(),
                     option.fontMetrics.height() + 6);
    }
};

QString RowHtml(const CompletionRow& row, const QString& text)
{
    const QString title = row.title.isEmpty() ? row.address : row.title;
    QString html = BoldMatches(title, text);
    if (!row.title.isEmpty())
        html += QLatin1String(" &nbsp;<span style=\"color:") +
                QApplication::palette().color(QPalette::Link).name() + QLatin1String("\">") +
                BoldMatches(row.address, text) + QLatin1String("</span>");
    return html;
}
} // namespace

CAddressCompleter::CAddressCompleter(QLineEdit* pEdit, SourceFn source, QObject* parent)
    : QObject(parent), m_pEdit(pEdit), m_source(std::move(source))
{
    m_pList = new QListWidget();
    m_pList->setObjectName(QStringLiteral("addressCompletions"));
    m_pList->setAccessibleName(QStringLiteral("Address suggestions"));
    // A window of its own over everything that never takes the focus from the field.
    m_pList->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    m_pList->setAttribute(Qt::WA_ShowWithoutActivating);
    m_pList->setFocusPolicy(Qt::NoFocus);
    m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pList->setItemDelegate(new CCompletionDelegate(m_pList));
    m_pList->setMouseTracking(true);
    connect(m_pList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { TakeRow(m_pList->row(item)); });
    connect(pEdit, &QLineEdit::textEdited, this, &CAddressCompleter::OnTextEdited);
    pEdit->installEventFilter(this);
    if (pEdit->parentWidget() != nullptr)
        pEdit->parentWidget()->installEventFilter(this);
}

CAddressCompleter::~CAddressCompleter()
{
    delete m_pList;
}

bool CAddressCompleter::IsShown() const
{
    return m_pList->isVisible();
}

int CAddressCompleter::CurrentRow() const
{
    return m_pList->currentItem() && m_pList->currentItem()->isSelected() ? m_pList->currentRow()
                                                                          : -1;
}

void CAddressCompleter::Hide()
{
    m_pList->hide();
    m_strAsked.clear();
}

void CAddressCompleter::OnTextEdited(const QString& text)
{
    ICompletionSource* source = m_source ? m_source() : nullptr;
    if (source == nullptr || text.trimmed().isEmpty()) {
        Hide();
        return;
    }
    m_strAsked = text;
    QPointer<CAddressCompleter> self(this);
    source->QueryCompletions(text, [self, text](const QList<CompletionRow>& rows) {
        if (self)
            self->ShowRows(text, rows);
    });
}

void CAddressCompleter::ShowRows(const QString& text, const QList<CompletionRow>& rows)
{
    // An answer for an older text, or one that comes after the field was left, is dropped.
    if (text != m_strAsked || m_pEdit == nullptr || !m_pEdit->hasFocus())
        return;
    m_rows = rows;
    if (rows.isEmpty()) {
        m_pList->hide();
        return;
    }
    m_pList->clear();
    for (const CompletionRow& row : rows) {
        auto* item = new QListWidgetItem(m_pList);
        item->setData(kHtmlRole, RowHtml(row, text));
        item->setToolTip(row.address);
        item->setData(Qt::AccessibleTextRole, row.title + QLatin1Char(' ') + row.address);
    }
    m_pList->setCurrentRow(-1);
    Place();
    m_pList->show();
}

void CAddressCompleter::Place()
{
    QWidget* anchor = m_pEdit->parentWidget() ? m_pEdit->parentWidget() : m_pEdit.data();
    const int rowHeight = m_pList->sizeHintForRow(0);
    const int height = rowHeight * m_pList->count() + 2 * m_pList->frameWidth();
    m_pList->setGeometry(
        QRect(anchor->mapToGlobal(QPoint(0, anchor->height())), QSize(anchor->width(), height)));
}

void CAddressCompleter::MoveCurrent(int nStep)
{
    const int count = m_pList->count();
    int row = CurrentRow();
    // Past either end the choice goes back to what was typed.
    row = row < 0 ? (nStep > 0 ? 0 : count - 1) : row + nStep;
    if (row < 0 || row >= count) {
        m_pList->setCurrentRow(-1);
        m_pList->clearSelection();
        return;
    }
    m_pList->setCurrentRow(row);
}

void CAddressCompleter::TakeRow(int nRow)
{
    if (nRow < 0 || nRow >= m_rows.size() || m_pEdit == nullptr)
        return;
    m_pEdit->setText(m_rows[nRow].address);
    Hide();
    emit rowActivated();
}

bool CAddressCompleter::IsField(const QObject* pReceiver) const
{
    // The key goes to the combo box the field is in, which has the focus for it.
    return m_pEdit != nullptr && (pReceiver == m_pEdit || pReceiver == m_pEdit->parentWidget());
}

bool CAddressCompleter::WantsKey(QObject* pReceiver, const QKeyEvent* pKey) const
{
    if (!IsField(pReceiver) || !IsShown())
        return false;
    switch (pKey->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Escape:
        return pKey->modifiers() == Qt::NoModifier;
    case Qt::Key_Delete:
        return pKey->modifiers() == Qt::ShiftModifier && CurrentRow() >= 0;
    default:
        return false;
    }
}

bool CAddressCompleter::HandleKey(QObject* pReceiver, const QKeyEvent* pKey)
{
    if (!IsField(pReceiver) || !IsShown())
        return false;
    if (pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter) {
        // The chosen address goes into the field, where the frame reads it; Enter goes on.
        const int row = CurrentRow();
        if (row >= 0 && row < m_rows.size())
            m_pEdit->setText(m_rows[row].address);
        Hide();
        return false;
    }
    if (!WantsKey(pReceiver, pKey))
        return false;
    switch (pKey->key()) {
    case Qt::Key_Up:
        MoveCurrent(-1);
        break;
    case Qt::Key_Down:
        MoveCurrent(1);
        break;
    case Qt::Key_Escape:
        Hide();
        break;
    case Qt::Key_Delete: {
        const int row = CurrentRow();
        const CompletionRow gone = m_rows.value(row);
        if (gone.kind == ECompletionKind::Favorite)
            break;
        if (ICompletionSource* source = m_source ? m_source() : nullptr)
            source->RemoveCompletion(gone);
        m_rows.removeAt(row);
        delete m_pList->takeItem(row);
        if (m_rows.isEmpty())
            Hide();
        else
            Place();
        break;
    }
    default:
        break;
    }
    return true;
}

bool CAddressCompleter::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // The list's keys are claimed before any shortcut (the Edit menu's) takes them.
    if (pEvent->type() == QEvent::ShortcutOverride &&
        WantsKey(pWatched, static_cast<QKeyEvent*>(pEvent))) {
        pEvent->accept();
        return true;
    }
    // Leaving the field closes the list, unless the press that took the focus is on the list.
    if (pWatched == m_pEdit &&
        (pEvent->type() == QEvent::FocusOut || pEvent->type() == QEvent::Hide) &&
        !m_pList->underMouse())
        Hide();
    return QObject::eventFilter(pWatched, pEvent);
}
