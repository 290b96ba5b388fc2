// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/ContextCommands.h"

#include "commands/CmdTarget.h"
#include "panes/BrowserControl.h"
#include "panes/HtmlPane.h"
#include "panes/NavigationPolicy.h"
#include "panes/PaneWnd.h"
#include "platform/CommandEvent.h"
#include "res/Resource.h"
#include "res/Resources.h"
#include "workspace/NuvBrowserForm.h"
#include "workspace/PaneTabCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidget>

namespace {
// The menu opens this far right of and below the point it was asked for.
const int kMenuOffset = 5;

bool IsContextKey(const QKeyEvent* pKey)
{
    const Qt::KeyboardModifiers mods =
        pKey->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    return (pKey->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
           (pKey->key() == Qt::Key_F10 && mods == Qt::ShiftModifier);
}
} // namespace

CContextCommands::CContextCommands(CNuvBrowserForm* pForm) : QObject(pForm), m_pForm(pForm) {}

CContextCommands::~CContextCommands()
{
    delete m_pMenu.data();
}

QMenu* CContextCommands::ActiveMenu() const
{
    return m_pMenu;
}

void CContextCommands::MapCommands(CCmdTarget& target)
{
    target.Map(ID_CONTEXT_OPEN_LINK, [this] { OnOpenLinkInNewWindow(); });
    target.Map(ID_CONTEXT_OPEN_IMAGE, [this] { OnOpenImageInNewWindow(); });
    target.Map(ID_CONTEXT_OPEN_FRAME, [this] { OnOpenFrameInNewWindow(); });
    target.Map(ID_CONTEXT_COPY_SHORTCUT, [this] { OnCopyShortcut(); });
    target.Map(ID_CONTEXT_SPELL_REPLACE, [this] { OnSpellReplace(); });
    target.Map(ID_CONTEXT_SPELL_ADD_WORD, [this] { OnSpellAddWord(); });
}

void CContextCommands::PostContextRequest(QWidget* pWindow, int nKind, const QPoint& ptClient)
{
    if (pWindow == nullptr)
        return;
    QPointer<QWidget> window(pWindow);
    QMetaObject::invokeMethod(
        this,
        [this, window, nKind, ptClient] {
            if (window)
                OnContextRequest(nKind, window, ptClient);
        },
        Qt::QueuedConnection);
}

void CContextCommands::OnContextRequest(int nKind, QWidget* pWindow, const QPoint& ptClient)
{
    if (pWindow == nullptr || m_pForm->GetActivePane() == nullptr)
        return;
    const QPoint ptScreen = pWindow->mapToGlobal(ptClient);
    if (nKind == CONTEXT_ADDRESS)
        ShowMenu(ComposeAddressMenu(qobject_cast<QLineEdit*>(pWindow)), ptScreen);
    else
        ShowPageMenu(ptScreen);
}

void CContextCommands::ShowPageMenu(const QPoint& ptScreen, std::optional<QPoint> ptMenu)
{
    CPaneWnd* pPane = m_pForm->GetActivePane();
    QPointer<CContextCommands> self(this);
    const QPoint ptShow = ptMenu.value_or(ptScreen);
    pPane->InspectAt(ptScreen, [self, pPane, ptShow](int nFlags) {
        // The answer comes later: the menu belongs to the page only while it is in front.
        if (self && self->m_pForm->GetActivePane() == pPane)
            self->ShowMenu(ComposePageMenu(pPane, nFlags), ptShow);
    });
}

void CContextCommands::OnContextKey()
{
    CPaneWnd* pPane = m_pForm->GetActivePane();
    if (pPane == nullptr || pPane->Window() == nullptr)
        return;
    QPointer<CContextCommands> self(this);
    pPane->GetFocusRect([self, pPane](const QRect& rcFocus) {
        if (!self || self->m_pForm->GetActivePane() != pPane || pPane->Window() == nullptr)
            return;
        QWidget* pPage = pPane->Window();
        const QRect rcPage(pPage->mapToGlobal(QPoint(0, 0)), pPage->size());
        // The menu of the element with the keyboard focus, beside it (below its first box).
        const QRect rcShown = rcFocus.intersected(rcPage);
        if (!rcShown.isEmpty()) {
            self->ShowPageMenu(rcShown.center(),
                               QPoint(rcShown.left(), qMin(rcFocus.bottom(), rcPage.bottom())));
            return;
        }
        // Else the page's: at the pointer when it is over the page, else at its top-left corner.
        const QPoint ptPointer = QCursor::pos();
        self->ShowPageMenu(rcPage.contains(ptPointer) ? ptPointer : rcPage.topLeft());
    });
}

QList<CContextCommands::MenuItem> CContextCommands::ComposePageMenu(const CPaneWnd* pPane,
                                                                    int nFlags)
{
    QList<MenuItem> items;
    const auto addSeparatorAfter = [&items](qsizetype nBefore) {
        if (items.size() > nBefore)
            items.append(MenuItem{});
    };
    // A misspelled word under the pointer in an editable field: its suggestions at the top.
    if (!pPane->GetMisspelledWord().isEmpty()) {
        const QStringList suggestions = pPane->GetSpellingSuggestions();
        for (const QString& word : suggestions.mid(0, kMaxSuggestions))
            if (!word.isEmpty())
                items.append(MenuItem{ID_CONTEXT_SPELL_REPLACE, true, word});
        items.append(MenuItem{ID_CONTEXT_SPELL_ADD_WORD});
        items.append(MenuItem{});
    }
    bool bEditing =
        pPane->IsCommandEnabled(OLECMDID_COPY) || pPane->IsCommandEnabled(OLECMDID_PASTE);

    qsizetype nGroup = items.size();
    if ((nFlags & PANE_HAS_LINK) && !pPane->GetLinkAddress().isEmpty()) {
        items.append(MenuItem{ID_CONTEXT_OPEN_LINK});
        bEditing = true;
    }
    if (nFlags & PANE_HAS_IMAGE)
        items.append(MenuItem{ID_CONTEXT_OPEN_IMAGE});
    if (nFlags & PANE_HAS_FRAME)
        items.append(MenuItem{ID_CONTEXT_OPEN_FRAME});
    addSeparatorAfter(nGroup);

    nGroup = items.size();
    if (nFlags & PANE_HAS_IMAGE)
        items.append(MenuItem{ID_CONTEXT_SAVE_IMAGE_AS});
    if (nFlags & PANE_HAS_LINK)
        items.append(MenuItem{ID_CONTEXT_SAVE_TARGET_AS});
    addSeparatorAfter(nGroup);

    if (!bEditing) {
        nGroup = items.size();
        if (pPane->CanGoBack())
            items.append(MenuItem{ID_GO_BACK});
        if (pPane->CanGoForward())
            items.append(MenuItem{ID_GO_FORWARD});
        addSeparatorAfter(nGroup);
    } else {
        items.append(MenuItem{ID_EDIT_CUT, pPane->IsCommandEnabled(OLECMDID_CUT)});
        items.append(MenuItem{ID_EDIT_COPY, pPane->IsCommandEnabled(OLECMDID_COPY)});
        if (nFlags & PANE_HAS_LINK)
            items.append(MenuItem{ID_CONTEXT_COPY_SHORTCUT});
        items.append(MenuItem{ID_EDIT_PASTE, pPane->IsCommandEnabled(OLECMDID_PASTE)});
    }

    items.append(MenuItem{ID_EDIT_SELECT_ALL});
    items.append(MenuItem{});
    items.append(MenuItem{ID_FILE_PRINT});
    items.append(MenuItem{ID_VIEW_REFRESH});
    return items;
}

QList<CContextCommands::MenuItem> CContextCommands::ComposeAddressMenu(const QLineEdit* pEdit)
{
    // A selection counts from two characters on.
    const bool bSelection = pEdit && pEdit->selectionLength() > 1;
    const QMimeData* pData = QApplication::clipboard()->mimeData();
    const bool bText = pData && pData->hasText();
    return {{ID_EDIT_CUT, bSelection}, {ID_EDIT_COPY, bSelection}, {ID_EDIT_PASTE, bText}};
}

void CContextCommands::ShowMenu(const QList<MenuItem>& items, const QPoint& ptScreen)
{
    delete m_pMenu.data();
    auto* pMenu = new QMenu(m_pForm);
    pMenu->setAttribute(Qt::WA_DeleteOnClose);
    for (const MenuItem& item : items) {
        if (item.nID == 0) {
            pMenu->addSeparator();
            continue;
        }
        QString text = item.text;
        QAction* pAction =
            pMenu->addAction(text.isEmpty() ? LoadString(item.nID)
                                            : text.replace(QLatin1Char('&'), QStringLiteral("&&")));
        pAction->setData(item.nID);
        pAction->setProperty("word", item.text);
        pAction->setEnabled(item.bEnabled);
    }
    connect(pMenu, &QMenu::triggered, this, [this](QAction* pAction) {
        m_strSpellChoice = pAction->property("word").toString();
        PostCommand(pAction->data().toInt());
    });
    m_pMenu = pMenu;
    pMenu->popup(ptScreen + QPoint(kMenuOffset, kMenuOffset));
}

void CContextCommands::PostCommand(int nID)
{
    // The command runs once the menu has closed and the focus is back where it was.
    QWidget* pMain = m_pForm->window();
    if (pMain != m_pForm) {
        QCoreApplication::postEvent(pMain, new CCommandEvent(nID));
        return;
    }
    QMetaObject::invokeMethod(
        m_pForm, [form = m_pForm, nID] { form->OnCmdMsg(nID); }, Qt::QueuedConnection);
}

bool CContextCommands::IsRightPressTarget(QObject* pReceiver) const
{
    // Widgets that choose on a press: a right press chooses too, and shows no menu.
    const QTreeWidget* pTree = m_pForm->FavoritesTree();
    return pReceiver == pTree->viewport() || pReceiver == m_pForm->TabStrip();
}

bool CContextCommands::PreTranslateMessage(QObject* pReceiver, QEvent* pEvent)
{
    if (pEvent->type() == QEvent::KeyPress) {
        auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if (!IsContextKey(pKey) || !m_pForm->IsOnActivePage(pReceiver))
            return false;
        QMetaObject::invokeMethod(this, &CContextCommands::OnContextKey, Qt::QueuedConnection);
        return true;
    }
    if (pEvent->type() != QEvent::MouseButtonPress)
        return false;
    auto* pMouse = static_cast<QMouseEvent*>(pEvent);
    const bool bRight = pMouse->button() == Qt::RightButton;
    const bool bAltLeft =
        pMouse->button() == Qt::LeftButton && (pMouse->modifiers() & Qt::AltModifier);
    if (!bRight && !bAltLeft)
        return false;
    auto* pWidget = static_cast<QWidget*>(pReceiver);
    if (m_pForm->IsOnActivePage(pReceiver)) {
        PostContextRequest(pWidget, CONTEXT_PAGE, pMouse->position().toPoint());
        pWidget->setFocus(Qt::MouseFocusReason);
        // The right press goes on to the page as it is: the page keeps its selection and
        // focuses the field under the pointer (a left press in its place would end the
        // selection and start a click or drag that never ends). An Alt + tap stays away from
        // the page: the engine saves a link's target on Alt + click.
        if (bRight)
            return false;
        SwallowRelease(pWidget, pMouse->button());
        return true;
    }
    if (bRight && IsRightPressTarget(pReceiver)) {
        QMouseEvent left(QEvent::MouseButtonPress, pMouse->position(), pMouse->scenePosition(),
                         pMouse->globalPosition(), Qt::LeftButton,
                         (pMouse->buttons() & ~Qt::RightButton) | Qt::LeftButton,
                         pMouse->modifiers(), pMouse->pointingDevice());
        left.setTimestamp(pMouse->timestamp());
        QCoreApplication::sendEvent(pReceiver, &left);
        return true;
    }
    return false;
}

void CContextCommands::SwallowRelease(QWidget* pReceiver, Qt::MouseButton nButton)
{
    if (m_pSwallowTarget)
        m_pSwallowTarget->removeEventFilter(this);
    m_pSwallowTarget = pReceiver;
    m_nSwallowButton = nButton;
    pReceiver->installEventFilter(this);
}

bool CContextCommands::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched != m_pSwallowTarget || pEvent->type() != QEvent::MouseButtonRelease ||
        static_cast<QMouseEvent*>(pEvent)->button() != m_nSwallowButton)
        return QObject::eventFilter(pWatched, pEvent);
    pWatched->removeEventFilter(this);
    m_pSwallowTarget = nullptr;
    return true;
}

bool CContextCommands::MayOpenFromPane(CNuvBrowserForm* pForm, const CPaneWnd* pPane,
                                       const QString& address)
{
    if (MayOpenFromPage(address, pPane->GetAddress()))
        return true;
    pForm->SetStatusText(tr("This page may not open %1").arg(address));
    return false;
}

void CContextCommands::OpenInNewPane(const CPaneWnd* pFrom, const QString& address)
{
    if (!MayOpenFromPane(m_pForm, pFrom, address))
        return;
    if (CPaneWnd* pPane = m_pForm->AddPane(PANE_HTML))
        m_pForm->NavigatePane(pPane, address, false);
}

void CContextCommands::OnOpenLinkInNewWindow()
{
    if (CPaneWnd* pPane = m_pForm->GetActivePane())
        OpenInNewPane(pPane, pPane->GetLinkAddress());
}

void CContextCommands::OnOpenImageInNewWindow()
{
    if (CPaneWnd* pPane = m_pForm->GetActivePane())
        OpenInNewPane(pPane, pPane->GetImageAddress());
}

void CContextCommands::OnOpenFrameInNewWindow()
{
    // The inspection keeps a frame's address where it keeps a link's.
    if (CPaneWnd* pPane = m_pForm->GetActivePane())
        OpenInNewPane(pPane, pPane->GetLinkAddress());
}

void CContextCommands::OnCopyShortcut()
{
    CPaneWnd* pPane = m_pForm->GetActivePane();
    const QString address = pPane ? pPane->GetLinkAddress() : QString();
    if (!address.isEmpty())
        QApplication::clipboard()->setText(address);
}

void CContextCommands::OnSpellReplace()
{
    auto* pPane = qobject_cast<CHtmlPane*>(m_pForm->GetActivePane());
    if (pPane && pPane->Browser() && !m_strSpellChoice.isEmpty())
        pPane->Browser()->ReplaceMisspelledWord(m_strSpellChoice);
}

void CContextCommands::OnSpellAddWord()
{
    auto* pPane = qobject_cast<CHtmlPane*>(m_pForm->GetActivePane());
    if (pPane && pPane->Browser() && !pPane->GetMisspelledWord().isEmpty())
        pPane->Browser()->AddWordToDictionary(pPane->GetMisspelledWord());
}
