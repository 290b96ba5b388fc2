// SPDX-License-Identifier: GPL-3.0-or-later
// The least a Qt WebEngine shell costs here: one plain QWebEngineView per address, each in a
// tab of a QTabWidget, on a profile kept on disk. Every line read from standard input is one
// more address, opened in a new tab.
#include <QApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <unistd.h>

namespace {
void OpenTab(QTabWidget* tabs, QWebEngineProfile* profile, const QString& address)
{
    auto* view = new QWebEngineView(tabs);
    view->setPage(new QWebEnginePage(profile, view));
    tabs->addTab(view, address);
    tabs->setCurrentWidget(view);
    view->load(QUrl::fromUserInput(address));
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTabWidget tabs;
    auto* profile = new QWebEngineProfile(QStringLiteral("floor"), &app);
    profile->setPersistentStoragePath(QDir::homePath() + QStringLiteral("/.floor/storage"));
    profile->setCachePath(QDir::homePath() + QStringLiteral("/.floor/cache"));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    for (const QString& address : QCoreApplication::arguments().mid(1))
        OpenTab(&tabs, profile, address);
    tabs.resize(1024, 768);
    tabs.show();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString address = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (!address.isEmpty())
                OpenTab(&tabs, profile, address);
        }
    });
    return QApplication::exec();
}
