// SPDX-License-Identifier: GPL-3.0-or-later
// The main() of every test program: a temporary home for the whole process, the offscreen
// platform, the engine's settings for running as root, one QApplication, and Qt warnings
// turned into test failures.
#include "TempHome.h"

#include <QApplication>
#include <QMutex>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>

namespace {
QMutex g_mutex;
QStringList g_expected;
QMap<QString, int> g_seen;

// Messages of the offscreen platform and the engine that say nothing about our code.
const char* const kAllowed[] = {
    "This plugin does not support propagateSizeHints()",
    "This plugin does not support raise()",
    "This plugin does not support grabbing the keyboard",
    "QWindowsWindow",
    "Release of profile requested but WebEnginePage still not deleted",
    "Sandboxing disabled by user",
    "No suitable graphics backend found",
};

void HandleQtMessage(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    std::fprintf(stderr, "%s\n", qPrintable(msg));
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    for (const char* a : kAllowed)
        if (msg.contains(QLatin1String(a)))
            return;
    {
        QMutexLocker lock(&g_mutex);
        for (const QString& e : std::as_const(g_expected)) {
            if (msg.contains(e)) {
                ++g_seen[e];
                return;
            }
        }
    }
    ADD_FAILURE() << "Qt warning: " << msg.toStdString();
}
} // namespace

CExpectQtWarning::CExpectQtWarning(const QString& fragment) : m_strFragment(fragment)
{
    QMutexLocker lock(&g_mutex);
    g_expected.append(fragment);
    g_seen[fragment] = 0;
}

CExpectQtWarning::~CExpectQtWarning()
{
    QMutexLocker lock(&g_mutex);
    g_expected.removeOne(m_strFragment);
}

int CExpectQtWarning::Seen() const
{
    QMutexLocker lock(&g_mutex);
    return g_seen.value(m_strFragment);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (qgetenv("QTWEBENGINE_DISABLE_SANDBOX").isEmpty())
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").isEmpty())
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");

    QTemporaryDir home;
    CTempHome::SetupProcessHome(home.path());

    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    qInstallMessageHandler(HandleQtMessage);
    const int rc = RUN_ALL_TESTS();
    qInstallMessageHandler(nullptr);
    return rc;
}
