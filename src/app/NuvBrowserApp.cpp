// SPDX-License-Identifier: GPL-3.0-or-later
#include "NuvBrowserApp.h"

#include "CommandLineOptions.h"
#include "EarlyHandOff.h"
#include "MainFrame.h"
#include "WindowPlacement.h"
#include "favorites/FavoritesExchange.h"
#include "options/ColorScheme.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "platform/SignalRelay.h"
#include "platform/SingleInstance.h"
#include "platform/SpellCheck.h"
#include "res/Resource.h"
#include "res/Resources.h"
#include "workspace/NuvBrowserDoc.h"
#include "workspace/NuvBrowserForm.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

#include <cstdio>
#include <unistd.h>

namespace {
CNuvBrowserApp* g_pApp = nullptr;

QString SectionKey(const QString& section)
{
    return QString::fromLatin1(CNuvBrowserApp::kProfileKey) + QLatin1Char('\\') + section;
}

} // namespace

CNuvBrowserApp::CNuvBrowserApp()
{
    if (g_pApp == nullptr)
        g_pApp = this;
}

CNuvBrowserApp::~CNuvBrowserApp()
{
    DestroyMainWindow();
    delete m_pInstance;
    if (g_pApp == this)
        g_pApp = nullptr;
}

CMainFrame* CNuvBrowserApp::MainFrame() const
{
    return m_pMainWnd.data();
}

CNuvBrowserApp* CNuvBrowserApp::Instance()
{
    return g_pApp;
}

int CNuvBrowserApp::Main(int argc, char** argv)
{
    // --help, --version and unknown options are answered before anything starts.
    QStringList rawArgs;
    for (int i = 1; i < argc; ++i)
        rawArgs << QString::fromLocal8Bit(argv[i]);
    const CCommandLineOptions options(rawArgs);
    const int answered = options.Answer();
    if (answered >= 0)
        return answered;
    if (options.GetAction() != CCommandLineOptions::Action::Start)
        return CFavoritesExchange::RunCommand(
            options.GetAction() == CCommandLineOptions::Action::ImportFavorites, options.File());

    // A second start hands its address over before it builds anything it does not need: no
    // GUI application, no display connection, no engine. (Started by the launcher, this
    // looks once more: a browser may have started since.)
    {
        int status = 0;
        if (CEarlyHandOff().Run(rawArgs, &status))
            return status;
    }

    // Chromium cannot run sandboxed as root.
    if (::geteuid() == 0 && qgetenv("QTWEBENGINE_DISABLE_SANDBOX").isEmpty()) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fprintf(stderr, "nuvbrowser: running as root, the web engine's sandbox is off.\n");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The window class (X11 WM_CLASS) is taken from the application name.
    QCoreApplication::setApplicationName(QStringLiteral("nuvBrowserClass"));
    QCoreApplication::setOrganizationName(QStringLiteral("Qorval"));
    QApplication qapp(argc, argv);
    Q_INIT_RESOURCE(resources); // the resources live in a static library
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/nuvbrowser.png")));

    CNuvBrowserApp app;
    const QStringList args = QCoreApplication::arguments().mid(1);
    int status = 0;
    if (app.InitInstance(args))
        status = app.Run();
    else
        status = app.ExitInstance();
    return status;
}

int CNuvBrowserApp::GetProfileInt(const QString& section, const QString& entry, int nDefault)
{
    CRegKey key;
    quint32 value = 0;
    if (!key.Open(SectionKey(section)) || !key.QueryDword(entry, &value))
        return nDefault;
    return int(value);
}

bool CNuvBrowserApp::WriteProfileInt(const QString& section, const QString& entry, int nValue)
{
    return CRegistryStore().SetValue(SectionKey(section), RegValue::Dword(entry, quint32(nValue)));
}

QString CNuvBrowserApp::GetProfileString(const QString& section, const QString& entry,
                                         const QString& strDefault)
{
    CRegKey key;
    QString value;
    if (!key.Open(SectionKey(section)) || !key.QueryString(entry, &value))
        return strDefault;
    return value;
}

bool CNuvBrowserApp::WriteProfileString(const QString& section, const QString& entry,
                                        const QString& value)
{
    return CRegistryStore().SetValue(SectionKey(section), RegValue::String(entry, value));
}

bool CNuvBrowserApp::InitInstance(const QStringList& args)
{
    // The portal is asked now; its answer is read, without waiting, when the window is made.
    NuvColorScheme::Desktop();
    ReadSettings();
    m_strStartAddress = CCommandLineOptions::StartAddress(args);

    // From here on a signal ends the program by the Exit road, also while it starts.
    InstallSignalHandlers();
    m_pInstance = new CSingleInstance();
    if (CEarlyHandOff::Report(m_pInstance->ClaimOrHandOff(m_strStartAddress), &m_nExitStatus))
        return false;

    ApplyColorScheme();
    CSpellState::Instance()->SetEnabled(SpellCheck != 0);
    if (!CreateMainWindow())
        return false;
    m_pInstance->SetHandler([this](quint32 dwData, const QString* pText) {
        if (m_pMainWnd == nullptr)
            return false;
        // The navigation begins first; raising the window talks to the display and waits.
        const bool bResult = m_pMainWnd->OnCopyData(dwData, pText);
        if (dwData == kHandOffData && m_pMainWnd != nullptr) {
            // Best effort: the window manager may refuse to raise us.
            m_pMainWnd->setWindowState(m_pMainWnd->windowState() & ~Qt::WindowMinimized);
            m_pMainWnd->raise();
            m_pMainWnd->activateWindow();
        }
        return bResult;
    });
    return true;
}

void CNuvBrowserApp::ApplyColorScheme()
{
    const ColorScheme scheme = NuvColorScheme::Resolve(ViewColorScheme);
    NuvColorScheme::ApplyToWidgets(scheme);
    // Pages learn the scheme from the engine's start flags: a later change reaches them at the
    // next start.
    NuvColorScheme::ApplyToEngine(scheme);
    if (CDesktopScheme* pDesktop = NuvColorScheme::Desktop())
        connect(pDesktop, &CDesktopScheme::changed, this, [this] {
            NuvColorScheme::ApplyToWidgets(NuvColorScheme::Resolve(ViewColorScheme));
        });
}

bool CNuvBrowserApp::CreateMainWindow()
{
    m_pDocument = new CNuvBrowserDoc();
    auto* frame = new CMainFrame(m_pDocument);
    if (!frame->Create()) {
        delete frame;
        return false;
    }
    auto* form = new CNuvBrowserForm(this, m_pDocument, frame);
    form->EnableSession();
    // The frame hands itself to the form as its host: the splitter's width reaches it there.
    frame->SetView(form);
    m_pMainWnd = frame;
    RestoreWindowPlacement();
    frame->show();
    return true;
}

void CNuvBrowserApp::DestroyMainWindow()
{
    // The workspace writes its own settings back when it is destroyed, so the window goes
    // before the application's settings are written, on every road out.
    if (m_pMainWnd != nullptr && IsSettingsRead() && !m_bPlacementSaved)
        SaveWindowPlacement();
    delete m_pMainWnd.data();
    m_pMainWnd = nullptr;
    delete m_pDocument;
    m_pDocument = nullptr;
}

void CNuvBrowserApp::RestoreWindowPlacement()
{
    CRegKey key;
    QByteArray placement;
    // Placements stored by earlier versions are the toolkit's own; they are read once.
    if (key.Open(QString::fromLatin1(kOptionsKey)) &&
        key.QueryBinary(QStringLiteral("WindowPlacement"), &placement) &&
        (CWindowPlacement::Restore(m_pMainWnd, placement) ||
         m_pMainWnd->restoreGeometry(placement)))
        return;
    // First start: 1024 x 768, or less on a small screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    m_pMainWnd->resize(screen ? CWindowPlacement::FirstSize(screen->availableSize())
                              : QSize(1024, 768));
}

void CNuvBrowserApp::SaveWindowPlacement()
{
    CRegKey key;
    QByteArray stored;
    if (key.Open(QString::fromLatin1(kOptionsKey)))
        key.QueryBinary(QStringLiteral("WindowPlacement"), &stored);
    CRegistryStore().SetValue(
        QString::fromLatin1(kOptionsKey),
        RegValue::Binary(
            QStringLiteral("WindowPlacement"),
            CWindowPlacement::Save(m_pMainWnd, stored, CWindowPlacement::CanPlaceWindows())));
}

void CNuvBrowserApp::InstallSignalHandlers()
{
    auto* relay = new CSignalRelay(this);
    connect(relay, &CSignalRelay::signalled, this, &CNuvBrowserApp::ExitWithoutAsking);
}

int CNuvBrowserApp::Run()
{
    m_bRunning = true;
    QApplication::exec();
    m_bRunning = false;
    DestroyMainWindow();
    return ExitInstance();
}

int CNuvBrowserApp::ExitInstance()
{
    DestroyMainWindow();
    WriteSettings();
    return m_nExitStatus;
}

void CNuvBrowserApp::OnAppExit()
{
    if (RunExitConfirm != 0) {
        const auto answer = QMessageBox::question(
            m_pMainWnd, QStringLiteral("nuvBrowser"), LoadString(IDS_EXIT_CONFIRM),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes)
            return;
    }
    ExitWithoutAsking();
}

void CNuvBrowserApp::ExitWithoutAsking()
{
    m_bQuitPosted = true;
    emit exitRequested();
    // The loop ends once control returns to it; the window still exists until then, but it
    // is no longer shown.
    if (m_bRunning) {
        HideMainWindow();
        QCoreApplication::exit(0);
    }
}

void CNuvBrowserApp::HideMainWindow()
{
    if (m_pMainWnd == nullptr || !m_pMainWnd->isVisible())
        return;
    // The placement is taken while the window is shown, in the frame the user left.
    if (IsSettingsRead()) {
        SaveWindowPlacement();
        m_bPlacementSaved = true;
    }
    m_pMainWnd->hide();
    // Told to the display now: the loop that would pass it on ends here.
    QGuiApplication::sync();
}
