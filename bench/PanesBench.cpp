// SPDX-License-Identifier: GPL-3.0-or-later
// Opens, switches among and closes 500 panes of the real workspace whose controls are the
// scripted fake, and prints the time per operation in blocks of 100, to show whether an
// operation grows with the number of panes already open.
#include "FakeBrowserControl.h"
#include "TempHome.h"
#include "app/MainFrame.h"
#include "app/NuvBrowserApp.h"
#include "res/Resource.h"
#include "workspace/NuvBrowserForm.h"
#include "workspace/PaneTabCtrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {
int kPanes = 500; // a first argument sets another count (a multiple of 5)
int kBlock = 100;

// Runs op kPanes times and prints microseconds per operation for every block of kBlock.
void Measure(const char* name, const std::function<void(int)>& op)
{
    std::printf("  %-8s", name);
    QElapsedTimer timer;
    for (int block = 0; block < kPanes / kBlock; ++block) {
        timer.start();
        for (int i = 0; i < kBlock; ++i)
            op(block * kBlock + i);
        QCoreApplication::processEvents();
        std::printf(" %8.0f", timer.nsecsElapsed() / 1e3 / kBlock);
        std::fflush(stdout);
    }
    std::printf("\n");
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1 && std::atoi(argv[1]) >= 5) {
        kPanes = std::atoi(argv[1]) / 5 * 5;
        kBlock = kPanes / 5;
    }
    QTemporaryDir root;
    CTempHome::SetupProcessHome(root.path());
    QApplication qapp(argc, argv);
    CNuvBrowserApp app;
    app.ViewFavorite = 1;
    app.ViewNewActive = 1;
    CFakeControlFactory controls;
    auto frame = std::make_unique<CMainFrame>(nullptr);
    if (!frame->Create())
        return 1;
    auto* form = new CNuvBrowserForm(&app, nullptr, frame.get());
    frame->SetView(form);
    frame->resize(1000, 700);
    frame->show();
    for (int i = 0; i < 500 && !form->IsStarted(); ++i)
        QTest::qWait(10);
    if (!form->IsStarted())
        return 1;
    // The start-up pane is closed so that the counts below are the bench's own.
    frame->SendCommand(ID_FILE_CLOSE);

    std::printf("%d panes with fake controls; microseconds per operation, blocks of %d "
                "(panes %d-%d, ..., %d-%d)\n",
                kPanes, kBlock, 1, kBlock, kPanes - kBlock + 1, kPanes);
    Measure("open", [&](int n) {
        frame->SendCommand(ID_FILE_NEW);
        controls.Last()->RaiseTitleChange(QStringLiteral("Page %1").arg(n));
    });
    form->SelectPane(0); // next walks from the first pane to the last
    Measure("next", [&](int) { frame->SendCommand(ID_PANE_NEXT); });
    Measure("select", [&](int n) { form->SelectPane((n * 7) % kPanes); });
    Measure("close", [&](int) { frame->SendCommand(ID_FILE_CLOSE); });
    const int left = form->TabStrip()->count();
    frame.reset();
    return left == 0 ? 0 : 1;
}
