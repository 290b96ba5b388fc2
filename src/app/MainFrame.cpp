// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainFrame.h"

#include "AddressBar.h"
#include "AddressCompleter.h"
#include "CommandBands.h"
#include "KeyRouter.h"
#include "NuvBrowserApp.h"
#include "panes/PageNote.h"
#include "platform/AccelTable.h"
#include "platform/CommandEvent.h"
#include "platform/KeyCodes.h"
#include "platform/KeyState.h"
#include "res/Resource.h"
#include "res/Resources.h"
#include "workspace/FrameView.h"

#include <QAbstractEventDispatcher>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

namespace {
constexpr quint32 kHandOffData = 39919;
constexpr int kMaxAddressLength = 2047;
constexpr int kAddressBand = 2;
constexpr int kCapsPollMs = 300;
constexpr int kNoticeMs = 15000; // long enough to be read after the start page came up
} // namespace

CMainFrame::CMainFrame(CNuvBrowserDoc* pDoc, QWidget* parent)
    : QMainWindow(parent), m_pDoc(pDoc), m_appCommands(this)
{
    setWindowTitle(QStringLiteral("nuvBrowser"));
    // Commands go to the view, then the frame, then the application.
    m_router.AddTarget([this]() -> CCmdTarget* { return m_pActiveView; });
    m_router.AddTarget([this]() -> CCmdTarget* { return this; });
    m_router.AddTarget([this]() -> CCmdTarget* { return &m_appCommands; });

    Map(ID_VIEW_ADDRESS_BAR, &CMainFrame::OnViewAddressBar, &CMainFrame::OnUpdateViewAddressBar);
    Map(ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar, &CMainFrame::OnUpdateViewStatusBar);
}

CMainFrame::~CMainFrame()
{
    // The view goes while the frame is still whole: it may talk to the frame on its way out.
    delete m_pKeyRouter;
    m_pKeyRouter = nullptr;
    m_pActiveView = nullptr;
    delete takeCentralWidget();
}

bool CMainFrame::Create()
{
    if (m_bCreated)
        return true;
    if (!CreateBars())
        return false;

    if (centralWidget() == nullptr)
        setCentralWidget(new QWidget(this)); // until the workspace takes the place

    CNuvBrowserApp* app = NuvApp();
    if (app != nullptr && app->ViewMenu == 0)
        m_pCommandBands->hide();
    if (app == nullptr || app->ViewStatus == 0)
        statusBar()->hide();

    m_keyAccelTable.LoadTable();
    m_keyAccelTable.BuildAccelerators();
    m_keyAccelTable.DecorateMenu(m_pMenuBar);
    DecorateDesktopKeys();

    m_pKeyRouter = new CKeyRouter(this);
    // The tool bar's rules run whenever the event loop runs out of work.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &CMainFrame::OnIdle);
    auto* capsTimer = new QTimer(this);
    connect(capsTimer, &QTimer::timeout, this, &CMainFrame::UpdateCapsIndicator);
    capsTimer->start(kCapsPollMs);
    m_bCreated = true;
    return true;
}

bool CMainFrame::CreateBars()
{
    m_pMenuBar = new QMenuBar(this);
    m_pMenuBar->setObjectName(QStringLiteral("menuBar"));
    m_pMenuBar->setNativeMenuBar(false);
    // The bars show the bands' background.
    m_pMenuBar->setStyleSheet(QStringLiteral("QMenuBar { background: transparent; }"));
    if (!LoadMenu(m_pMenuBar, IDR_MAINFRAME))
        return false;

    m_pToolBar = new QToolBar(this);
    m_pToolBar->setObjectName(QStringLiteral("toolBar"));
    m_pToolBar->setAccessibleName(QStringLiteral("Tool Bar"));
    m_pToolBar->setIconSize(QSize(16, 16));
    m_pToolBar->setMovable(false);
    m_pToolBar->setFloatable(false);
    m_pToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_pToolBar->setStyleSheet(
        QStringLiteral("QToolBar { background: transparent; border: none; spacing: 1px; }"));
    if (!LoadToolBar(m_pToolBar, IDR_MAINFRAME))
        return false;
    for (QAction* action : m_pToolBar->actions())
        if (QWidget* button = m_pToolBar->widgetForAction(action))
            button->setFocusPolicy(Qt::NoFocus);

    int nAccels = 0;
    const ACCEL* accels = FindAcceleratorResource(IDR_MAINFRAME, &nAccels);
    if (accels == nullptr)
        return false;
    m_pAccelTable = std::make_unique<CAccelTable>(accels, nAccels);
    accels = FindAcceleratorResource(IDR_DESKTOP_KEYS, &nAccels);
    m_pDesktopKeys = std::make_unique<CAccelTable>(accels, nAccels);
    accels = FindAcceleratorResource(IDR_FIELD_KEYS, &nAccels);
    m_pFieldKeys = std::make_unique<CAccelTable>(accels, nAccels);

    m_pAddressBar = new CAddressBar(this);
    m_pAddressBar->setObjectName(QStringLiteral("addressBar"));

    m_pCommandBands = new CCommandBands(this);
    m_pCommandBands->setObjectName(QStringLiteral("commandBands"));
    m_pCommandBands->AddBand(m_pMenuBar, false);
    m_pCommandBands->AddBand(m_pToolBar, true);
    m_pCommandBands->AddBand(m_pAddressBar, true);
    // A close request from the bands is posted, like one from the window manager.
    connect(m_pCommandBands->AddCloseButton(), &QToolButton::clicked, this, &QWidget::close,
            Qt::QueuedConnection);
    setMenuWidget(m_pCommandBands);

    CreateStatusBar();

    // The address bar takes the width the other bands leave.
    m_pCommandBands->SetBandMinWidth(kAddressBand, 240);

    m_hAddressCombo = m_pAddressBar->GetCombo();
    m_hAddressEdit = m_hAddressCombo ? m_hAddressCombo->lineEdit() : nullptr;
    if (m_hAddressEdit != nullptr) {
        m_pCompleter = new CAddressCompleter(
            m_hAddressEdit,
            [this]() -> ICompletionSource* {
                IFrameView* view = m_pActiveView;
                return view ? view->CompletionSource() : nullptr;
            },
            this);
        connect(m_pCompleter, &CAddressCompleter::rowActivated, this, [this] { OnAddressEnter(); });
    }

    ConnectCommands(m_pMenuBar);
    ConnectCommands(m_pToolBar);
    return true;
}

void CMainFrame::CreateStatusBar()
{
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("statusBar"));
    m_pMessagePane = new QLabel(LoadString(AFX_IDS_IDLEMESSAGE), bar);
    m_pMessagePane->setObjectName(QStringLiteral("messagePane"));
    m_pMessagePane->setTextFormat(Qt::PlainText);
    m_pMessagePane->setMinimumWidth(1);
    bar->addWidget(m_pMessagePane, 1);
    m_pCapsPane = new QLabel(bar);
    m_pCapsPane->setObjectName(QStringLiteral("capsIndicator"));
    m_pCapsPane->setAlignment(Qt::AlignCenter);
    m_pCapsPane->setMinimumWidth(
        m_pCapsPane->fontMetrics().horizontalAdvance(LoadString(ID_INDICATOR_CAPS)) + 12);
    bar->addPermanentWidget(m_pCapsPane);
    setStatusBar(bar);
}

void CMainFrame::ConnectCommands(QWidget* pMenuOrBar)
{
    for (QAction* action : pMenuOrBar->actions()) {
        if (QMenu* sub = action->menu()) {
            m_router.AttachMenu(sub);
            ConnectCommands(sub);
        } else if (const int nID = CCommandRouter::CommandId(action)) {
            connect(action, &QAction::triggered, this, [this, nID] { SendCommand(nID); });
        }
    }
}

bool CMainFrame::OnCopyData(quint32 dwData, const QString* pText)
{
    if (dwData != kHandOffData || pText == nullptr)
        return false;
    // The text ends at its first zero, as the sender's zero-terminated string does.
    QString text = *pText;
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        text.truncate(nul);
    if (IFrameView* view = m_pActiveView; view != nullptr && !text.isEmpty())
        view->NavigateNewPane(text, false);
    return true;
}

void CMainFrame::SetView(IFrameView* pView)
{
    QWidget* widget = pView ? pView->GetViewWidget() : nullptr;
    if (widget != nullptr && widget != centralWidget()) {
        delete takeCentralWidget();
        setCentralWidget(widget);
        // The view leaves the route when its widget goes.
        connect(widget, &QObject::destroyed, this, [this, pView] {
            if (m_pActiveView == pView)
                m_pActiveView = nullptr;
        });
    }
    SetActiveView(pView);
    if (pView != nullptr)
        pView->SetFrameHost(this);
}

void CMainFrame::SetActiveView(IFrameView* pView)
{
    m_pActiveView = pView;
}

bool CMainFrame::SendCommand(int nID)
{
    return m_router.Execute(nID);
}

bool CMainFrame::IsCommandEnabled(int nID) const
{
    return m_router.IsEnabled(nID);
}

void CMainFrame::UpdateToolBar()
{
    if (m_pToolBar != nullptr)
        m_router.UpdateActions(m_pToolBar->actions());
}

void CMainFrame::OnIdle()
{
    if (m_pCommandBands != nullptr && m_pCommandBands->isVisible())
        UpdateToolBar();
}

void CMainFrame::UpdateCapsIndicator()
{
    if (m_pCapsPane == nullptr || !m_pCapsPane->isVisible())
        return;
    const QString text = IsCapsLockOn() ? LoadString(ID_INDICATOR_CAPS) : QString();
    if (m_pCapsPane->text() != text)
        m_pCapsPane->setText(text);
}

void CMainFrame::SetStatusText(const QString& strText)
{
    if (m_pMessagePane == nullptr)
        return;
    m_pMessagePane->setText(strText);
    m_pMessagePane->repaint();
}

void CMainFrame::ShowNotice(const QString& strText)
{
    // A temporary message covers the message pane, which goes on taking the pages' texts
    // (a load ending, a link under the mouse) and shows the last one when the notice ends.
    statusBar()->showMessage(strText, kNoticeMs);
    if (IsStatusBarShown() || centralWidget() == nullptr)
        return;
    if (m_pNoticeNote == nullptr) {
        // A child of the frame above the workspace: it stays in sight whichever pane is shown.
        m_pNoticeNote = new CPageNote(this);
        m_pNoticeNote->setObjectName(QStringLiteral("frameNotice"));
        m_pNoticeTimer = new QTimer(this);
        m_pNoticeTimer->setSingleShot(true);
        connect(m_pNoticeTimer, &QTimer::timeout, m_pNoticeNote,
                [this] { m_pNoticeNote->ShowText(QString(), nullptr); });
    }
    // Over the active page (not its tab strip); the workspace when it shows none.
    QWidget* pPage = m_pActiveView ? m_pActiveView->ActivePageWindow() : nullptr;
    if (pPage == nullptr || !isAncestorOf(pPage))
        pPage = centralWidget();
    // A page closed meanwhile takes the note with it.
    connect(pPage, &QObject::destroyed, m_pNoticeNote, &QWidget::hide, Qt::UniqueConnection);
    m_pNoticeNote->ShowText(strText, pPage);
    m_pNoticeTimer->start(kNoticeMs);
}

bool CMainFrame::IsStatusBarShown() const
{
    return m_pMessagePane != nullptr && !statusBar()->isHidden();
}

QString CMainFrame::GetStatusText() const
{
    if (m_pMessagePane == nullptr)
        return QString();
    const QString notice = statusBar()->currentMessage();
    return notice.isEmpty() ? m_pMessagePane->text() : notice;
}

void CMainFrame::SetFavoritesWidth(int nWidth)
{
    if (CNuvBrowserApp* app = NuvApp())
        app->ViewFavoriteWidth = nWidth;
    if (IFrameView* view = m_pActiveView)
        view->ApplyFavoritesWidth(nWidth);
}

bool CMainFrame::IsCommandBandsShown() const
{
    if (CNuvBrowserApp* app = NuvApp())
        return app->ViewMenu != 0;
    return m_pCommandBands != nullptr && !m_pCommandBands->isHidden();
}

void CMainFrame::OnViewAddressBar()
{
    IFrameView* view = m_pActiveView;
    CNuvBrowserApp* app = NuvApp();
    if (view == nullptr || app == nullptr || m_pCommandBands == nullptr)
        return;
    app->ViewMenu = app->ViewMenu == 0 ? 1 : 0;
    m_pCommandBands->setVisible(app->ViewMenu != 0);
    view->SetAddressBarButtonFace(app->ViewMenu != 0);
}

void CMainFrame::OnUpdateViewAddressBar(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(IsCommandBandsShown() ? 1 : 0);
}

void CMainFrame::OnViewStatusBar()
{
    CNuvBrowserApp* app = NuvApp();
    if (app == nullptr)
        return;
    app->ViewStatus = app->ViewStatus == 0 ? 1 : 0;
    statusBar()->setVisible(app->ViewStatus != 0);
    UpdateCapsIndicator();
}

void CMainFrame::OnUpdateViewStatusBar(CCmdUI* pCmdUI)
{
    CNuvBrowserApp* app = NuvApp();
    pCmdUI->SetCheck(app != nullptr && app->ViewStatus != 0 ? 1 : 0);
}

bool CMainFrame::IsInsideView(QObject* pReceiver) const
{
    IFrameView* view = m_pActiveView;
    QWidget* viewWidget = view ? view->GetViewWidget() : nullptr;
    if (viewWidget == nullptr || !pReceiver->isWidgetType())
        return false;
    return viewWidget->isAncestorOf(static_cast<QWidget*>(pReceiver)) || pReceiver == viewWidget;
}

bool CMainFrame::IsEditingText(QObject* pReceiver) const
{
    if (pReceiver == nullptr || !pReceiver->isWidgetType())
        return false;
    if (const auto* pEdit = qobject_cast<const QLineEdit*>(pReceiver))
        return !pEdit->isReadOnly();
    if (const auto* pCombo = qobject_cast<const QComboBox*>(pReceiver))
        return pCombo->isEditable();
    if (const auto* pText = qobject_cast<const QTextEdit*>(pReceiver))
        return !pText->isReadOnly();
    if (const auto* pPlain = qobject_cast<const QPlainTextEdit*>(pReceiver))
        return !pPlain->isReadOnly();
    if (qobject_cast<const QAbstractSpinBox*>(pReceiver) != nullptr)
        return true;
    return IsInsideView(pReceiver) && m_pActiveView->IsEditingText(pReceiver);
}

bool CMainFrame::TranslateKey(QObject* pReceiver, const QKeyEvent* pKey, bool bSend)
{
    const bool bField = IsEditingText(pReceiver);
    if (bField && m_pFieldKeys && m_pFieldKeys->FindCommand(pKey) >= 0)
        return false;
    // A binding without Ctrl or Alt would take a letter typed into the field.
    const bool bPlain = !(pKey->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!bField || !bPlain) {
        if (bSend ? m_keyAccelTable.TranslateKey(this, pKey) : m_keyAccelTable.MatchesKey(pKey))
            return true;
    }
    for (const CAccelTable* pTable : {m_pAccelTable.get(), m_pDesktopKeys.get()})
        if (pTable && (bSend ? pTable->Translate(this, pKey) : pTable->FindCommand(pKey) >= 0))
            return true;
    return false;
}

bool CMainFrame::WantsKey(QObject* pReceiver, const QKeyEvent* pEvent)
{
    if (VirtualKeyFromEvent(pEvent) == VK_RETURN)
        return false;
    if (m_pCompleter && m_pCompleter->WantsKey(pReceiver, pEvent))
        return true;
    return TranslateKey(pReceiver, pEvent, false);
}

void CMainFrame::SendKeyCommand(int nID)
{
    // As a key's command goes: through the frame's window, so that it runs as from the menu.
    CCommandEvent command(nID);
    QCoreApplication::sendEvent(this, &command);
}

void CMainFrame::DecorateDesktopKeys()
{
    int nCount = 0;
    const ACCEL* accels = FindAcceleratorResource(IDR_DESKTOP_KEYS, &nCount);
    for (int i = 0; i < nCount; ++i) {
        // An item with a key of its own, or one a binding wrote there, keeps it.
        QAction* item = CCommandRouter::FindMenuItem(m_pMenuBar, accels[i].cmd);
        if (item != nullptr && !item->text().contains(QLatin1Char('\t')))
            item->setText(item->text() + QLatin1Char('\t') +
                          KeyText(accels[i].fVirt, accels[i].key));
    }
}

bool CMainFrame::TranslatePointer(QObject* pReceiver, QEvent* pEvent)
{
    if (pEvent->type() == QEvent::Wheel) {
        auto* pWheel = static_cast<QWheelEvent*>(pEvent);
        if (!(pWheel->modifiers() & Qt::ControlModifier) || !IsInsideView(pReceiver) ||
            !m_pActiveView->IsOnActivePage(pReceiver))
            return false;
        // A notch is 120; finer wheels and touch pads add up to one.
        m_nWheelSteps += pWheel->angleDelta().y();
        for (; m_nWheelSteps >= 120; m_nWheelSteps -= 120)
            SendKeyCommand(ID_VIEW_TEXT_STEP_LARGER);
        for (; m_nWheelSteps <= -120; m_nWheelSteps += 120)
            SendKeyCommand(ID_VIEW_TEXT_STEP_SMALLER);
        return true;
    }
    if (pEvent->type() != QEvent::MouseButtonPress &&
        pEvent->type() != QEvent::MouseButtonDblClick &&
        pEvent->type() != QEvent::MouseButtonRelease)
        return false;
    const Qt::MouseButton button = static_cast<QMouseEvent*>(pEvent)->button();
    if (button != Qt::BackButton && button != Qt::ForwardButton)
        return false;
    // Each press goes one page; the release is used up too: the page would move in its
    // history on its own.
    if (pEvent->type() != QEvent::MouseButtonRelease)
        SendKeyCommand(button == Qt::BackButton ? ID_GO_BACK : ID_GO_FORWARD);
    return true;
}

bool CMainFrame::PreTranslateMessage(QObject* pReceiver, QEvent* pEvent)
{
    if (IsInsideView(pReceiver) && m_pActiveView->PreTranslateMessage(pReceiver, pEvent))
        return true;

    if (pEvent->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(pEvent);
        // While the completion list is open, its keys are its own.
        if (m_pCompleter && m_pCompleter->HandleKey(pReceiver, key))
            return true;
        if (key->key() == Qt::Key_CapsLock)
            QTimer::singleShot(0, this, &CMainFrame::UpdateCapsIndicator);
        // Enter belongs to the address field or to the widget it was typed into; neither key
        // table sees it.
        if (VirtualKeyFromEvent(key) == VK_RETURN)
            return OnAddressEnter();
        return TranslateKey(pReceiver, key, true);
    }

    if (TranslatePointer(pReceiver, pEvent))
        return true;
    if (pEvent->type() == QEvent::MouseButtonPress && pReceiver == m_hAddressEdit) {
        auto* mouse = static_cast<QMouseEvent*>(pEvent);
        const bool bRight = mouse->button() == Qt::RightButton;
        const bool bAltLeft =
            mouse->button() == Qt::LeftButton && (mouse->modifiers() & Qt::AltModifier);
        if (!bRight && !bAltLeft)
            return false;
        if (IFrameView* view = m_pActiveView)
            view->PostContextRequest(m_hAddressEdit, 1, mouse->position().toPoint());
        // The right button still reaches the field; an Alt + tap does not.
        return bAltLeft;
    }
    return false;
}

QWidget* CMainFrame::KeyFocusWidget() const
{
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus->window() == this)
        return focus;
    return focusWidget();
}

bool CMainFrame::OnAddressEnter()
{
    QWidget* focus = KeyFocusWidget();
    if (m_hAddressEdit == nullptr || focus == nullptr ||
        (focus != m_hAddressEdit && focus != m_hAddressCombo))
        return false;
    const QString text = m_hAddressEdit->text().left(kMaxAddressLength);
    IFrameView* view = m_pActiveView;
    if (view == nullptr)
        return false;
    view->NavigateActivePane(text, true);
    if (IFrameView* after = m_pActiveView)
        after->ScheduleFocus();
    return true;
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == CCommandEvent::EventType()) {
        SendCommand(static_cast<CCommandEvent*>(event)->CommandId());
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A close request (title-bar button, Alt+F4, the window manager, the bands' close button)
    // runs the Exit command; the window itself goes only when the program ends.
    event->ignore();
    OnAppExit();
}

void CMainFrame::OnAppExit()
{
    if (CNuvBrowserApp* app = NuvApp())
        app->OnAppExit();
}
