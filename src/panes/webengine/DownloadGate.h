// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

class QWebEnginePage;
class QWidget;

// Decides whether a download a page starts on its own may go on. The first download of a
// document goes on (the user still chooses where it goes); when the same document starts
// another one, the user is asked once whether it may download several files, and that
// answer holds for every further download of the document, also for those that arrive while
// the question is open. A page that loads a new document starts afresh; a load that turned
// into the download itself leaves the document as it was.
class CDownloadGate : public QObject
{
    Q_OBJECT
public:
    enum class Verdict
    {
        Allowed,
        Refused,
        Asking // the answer comes later
    };
    using Answer = std::function<void(bool bAllowed)>;

    explicit CDownloadGate(QObject* pParent);
    ~CDownloadGate() override;

    // Counts one download of pPage's document, of the address url. With Verdict::Asking,
    // answer runs once, after the user answered (from the event loop, not from here), unless
    // pContext is gone by then; the question is shown over pParent's window.
    Verdict Admit(QWebEnginePage* pPage, const QUrl& url, QWidget* pParent, QObject* pContext,
                  Answer answer);

    // The question's text.
    static QString QuestionText();

private:
    struct Waiting;
    struct Document
    {
        int nCount = 0;
        Verdict verdict = Verdict::Allowed;
        std::shared_ptr<Waiting> pWaiting; // while the question is open
        // Since the last download: the address of the load that started last, and whether
        // a load of another address started before it.
        QUrl lastStart;
        bool bOtherStart = false;
    };

    void Watch(QWebEnginePage* pPage);
    void Ask(QWebEnginePage* pPage, QWidget* pParent);

    QHash<const QWebEnginePage*, Document> m_documents;
};
