// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShellServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <utility>

namespace {
// How long the desktop may take to name its mail handler before it counts as having none.
const int kMailQueryTimeoutMs = 3000;

// How long xdg-open may run before a folder counts as shown.
const int kShowFolderWaitMs = 3000;

// The one background question for the mailto handler and the answers waiting for it.
struct MailHandlerQuery
{
    struct Waiting
    {
        QPointer<QObject> pContext;
        std::function<void(const QString&)> answer;
    };

    bool bKnown = false;
    QString handler;
    QPointer<QProcess> pProcess;
    QList<Waiting> waiting;
};

MailHandlerQuery& MailQuery()
{
    static MailHandlerQuery s_query;
    return s_query;
}

// The answer has come (or the question failed): keep it and hand it to everyone waiting.
void FinishMailQuery(QProcess* pProcess, const QString& handler)
{
    MailHandlerQuery& query = MailQuery();
    if (query.pProcess != pProcess)
        return; // an answer already came, or was forgotten since
    query.pProcess = nullptr;
    query.bKnown = true;
    query.handler = handler;
    const QList<MailHandlerQuery::Waiting> waiting = std::exchange(query.waiting, {});
    for (const MailHandlerQuery::Waiting& w : waiting)
        if (w.pContext)
            w.answer(handler);
}

// Ends a question nobody waits for any more; the process goes once it has ended.
void DropMailQueryProcess(QProcess* pProcess)
{
    if (pProcess->state() == QProcess::NotRunning)
        pProcess->deleteLater();
    else
        pProcess->kill(); // its finished signal deletes it
}

void AskForMailHandler()
{
    MailHandlerQuery& query = MailQuery();
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    auto* pProcess = new QProcess(QCoreApplication::instance());
    query.pProcess = pProcess;
    if (xdgMime.isEmpty()) {
        // No desktop to ask: the answer is "none", handed on from the event loop as any other.
        QTimer::singleShot(0, pProcess, [pProcess] {
            FinishMailQuery(pProcess, QString());
            pProcess->deleteLater();
        });
        return;
    }
    QObject::connect(pProcess, &QProcess::finished, pProcess,
                     [pProcess](int nExitCode, QProcess::ExitStatus status) {
                         const bool bOk = status == QProcess::NormalExit && nExitCode == 0;
                         const QByteArray out = pProcess->readAllStandardOutput();
                         FinishMailQuery(pProcess,
                                         bOk ? QString::fromLocal8Bit(out).trimmed() : QString());
                         pProcess->deleteLater();
                     });
    QObject::connect(pProcess, &QProcess::errorOccurred, pProcess,
                     [pProcess](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         FinishMailQuery(pProcess, QString());
                         pProcess->deleteLater();
                     });
    QTimer::singleShot(kMailQueryTimeoutMs, pProcess, [pProcess] {
        FinishMailQuery(pProcess, QString());
        DropMailQueryProcess(pProcess);
    });
    pProcess->start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                              QStringLiteral("x-scheme-handler/mailto")});
}

// The mail program for one address, once the desktop's handler is known.
void LaunchMail(const QString& address, const QString& handler)
{
    if (!handler.isEmpty() && OpenWithDesktop(address))
        return;
    const QString pmail = QStandardPaths::findExecutable(QStringLiteral("pmail"));
    if (pmail.isEmpty())
        return;
    // The program gets one argument list: -to and the recipient part as one argument.
    QProcess::startDetached(pmail, {QStringLiteral("-to"), address.mid(7)});
}
} // namespace

bool OpenWithDesktop(const QString& target)
{
    if (target.isEmpty() || target.startsWith(QLatin1Char('-')))
        return false;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, {target});
}

void ShowFolderWithDesktop(const QString& folder, QObject* pContext,
                           std::function<void(bool bShown)> done)
{
    QPointer<QObject> context(pContext);
    auto answered = std::make_shared<bool>(false);
    auto answer = [context, answered, done](bool bShown) {
        if (std::exchange(*answered, true) || !context)
            return;
        done(bShown);
    };
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (folder.isEmpty() || folder.startsWith(QLatin1Char('-')) || program.isEmpty()) {
        QTimer::singleShot(0, QCoreApplication::instance(), [answer] { answer(false); });
        return;
    }
    // Owned by nobody but this list until it ended: a file manager that keeps xdg-open
    // waiting stays open when the caller goes, and also when the program ends (a process
    // object that is destroyed kills its process).
    // (The list itself is never destroyed either: processes still running at the end stay
    // known, not lost.)
    static auto* s_running = new QList<QProcess*>;
    auto* pProcess = new QProcess;
    s_running->append(pProcess);
    const auto finish = [pProcess] {
        s_running->removeOne(pProcess);
        pProcess->deleteLater();
    };
    pProcess->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(pProcess, &QProcess::finished, pProcess,
                     [answer, finish](int nExitCode, QProcess::ExitStatus status) {
                         answer(status == QProcess::NormalExit && nExitCode == 0);
                         finish();
                     });
    QObject::connect(pProcess, &QProcess::errorOccurred, pProcess,
                     [answer, finish](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         answer(false);
                         finish();
                     });
    QTimer::singleShot(kShowFolderWaitMs, pProcess, [answer] { answer(true); });
    pProcess->start(program, {folder});
}

bool OpenDownloadedFile(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isAbsolute() || !file.isFile() || file.isExecutable() ||
        file.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0)
        return false;
    return OpenWithDesktop(
        QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded));
}

bool ShowFileInFolder(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isAbsolute() || !file.absoluteDir().exists())
        return false;
    return OpenWithDesktop(QUrl::fromLocalFile(file.absolutePath()).toString(QUrl::FullyEncoded));
}

void QueryMailHandler(QObject* pContext, std::function<void(const QString& handler)> answer)
{
    MailHandlerQuery& query = MailQuery();
    if (query.bKnown) {
        answer(query.handler);
        return;
    }
    query.waiting.append({pContext, std::move(answer)});
    if (!query.pProcess)
        AskForMailHandler();
}

void ForgetMailHandler()
{
    MailHandlerQuery& query = MailQuery();
    if (QProcess* pProcess = std::exchange(query.pProcess, nullptr))
        DropMailQueryProcess(pProcess);
    query.bKnown = false;
    query.handler.clear();
}

bool StartMailTo(const QString& address)
{
    if (!address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        return false;
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty() &&
        QStandardPaths::findExecutable(QStringLiteral("pmail")).isEmpty())
        return false;
    QueryMailHandler(QCoreApplication::instance(),
                     [address](const QString& handler) { LaunchMail(address, handler); });
    return true;
}
