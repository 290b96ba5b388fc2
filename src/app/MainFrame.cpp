#include "MainFrame.h"

#include "NuvBrowserApp.h"

#include <QCloseEvent>

CMainFrame::CMainFrame(CNuvBrowserDoc* pDoc, QWidget* parent) : QMainWindow(parent), m_pDoc(pDoc)
{
    setWindowTitle(QStringLiteral("nuvBrowser"));
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create()
{
    return true;
}

bool CMainFrame::OnCopyData(quint32 dwData, const QString* pText)
{
    if (dwData != 39919 || pText == nullptr)
        return false;
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A close request (title-bar button, Alt+F4, the window manager) runs the Exit command;
    // the window itself goes only when the program ends.
    event->ignore();
    if (CNuvBrowserApp* app = NuvApp())
        app->OnAppExit();
}
