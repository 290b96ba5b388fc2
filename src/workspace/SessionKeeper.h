// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SessionFile.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>

class CAppSettings;
class CNuvBrowserForm;
class CPaneWnd;

// Keeps the session file of a running browser: a moment after the open pages change (at most
// once a second, from a timer, never while a key is handled) it writes their addresses,
// titles and back/forward histories (read from the engine at that moment), and on a normal
// road out it removes the file again, or keeps it when the pages are to come back at the next
// start (RunRestoreSession).
//
// At start, before the first pane, a session left behind by a run that did not end normally
// is offered, unless it held only blank panes or the start page: the panes come back in their
// order, named by the titles their pages had (or by their addresses), and each loads only
// when it first comes to the front, with its history where the file has one. A session that
// is refused, damaged, or whose restore ended abnormally again within its first 30 seconds
// is put aside among the session's backups (session.bak, session.bak.1 ...; an older one is
// not written over), and a line on stderr names the file it went to. One that cannot be put
// aside stays as it is, and that run keeps no session.
class CSessionKeeper : public QObject
{
    Q_OBJECT
public:
    static constexpr int kWriteDelayMs = 1000;
    static constexpr int kRestoreTrialMs = 30000;

    CSessionKeeper(CNuvBrowserForm* pForm, CAppSettings* pApp,
                   const CSessionFile& file = CSessionFile());
    ~CSessionKeeper() override;

    // Offers the session left behind and restores its panes, parked; done gets the pane index
    // to bring to the front (it loads then), or -1 when nothing was restored; when the user is
    // asked, that is once the question is answered. Starts the keeping in every case.
    void RestoreAtStart(const std::function<void(int)>& done);

    // A pane coming to the front: a restored pane that has not loaded yet loads now.
    void LoadIfPending(CPaneWnd* pPane);
    // The address a restored pane will load; empty for any other pane.
    QString PendingAddress(const CPaneWnd* pPane) const { return m_pending.value(pPane).address; }

    // What the session file keeps of an HTML pane: its address, history and title.
    struct PaneRecord
    {
        QString address;
        QByteArray history;
        QString title; // empty where the page has no title of its own
    };
    // A restored pane not loaded yet, or whose page never arrived, has what it came back with;
    // any other the engine's history as it is now. An empty address: nothing to keep.
    PaneRecord Record(const CPaneWnd* pPane) const;
    // The same for a pane of a workspace that keeps no session.
    static PaneRecord LiveRecord(const CPaneWnd* pPane);

    // The panes of the workspace, open and closed, as the session file holds them.
    SessionData Snapshot() const;
    // Writes the snapshot now when it differs from the file's content.
    void WriteIfChanged();
    // The normal road out: the file is removed, or written for the next start.
    void Finish();

    const CSessionFile& File() const { return m_file; }

    // The session holds a page worth offering: one that is not blank and not the start page.
    static bool HoldsPages(const SessionData& data);

private:
    // The question, open while the loop runs; its answer calls done.
    void Offer(const SessionData& data, const std::function<void(int)>& done);
    void Restore(const SessionData& data);
    // Puts the session file aside among its backups and says where, and why.
    void PutAside(const char* why);

    CNuvBrowserForm* m_pForm;
    CAppSettings* m_pApp;
    CSessionFile m_file;
    QHash<const CPaneWnd*, PaneRecord> m_pending;  // restored, not loaded yet
    QHash<const CPaneWnd*, PaneRecord> m_restored; // restored, until the page reports its own
    QTimer m_timerWrite;
    QTimer m_timerTrial;
    SessionData m_written;
    bool m_bWritten = false; // m_written is what the file holds
    bool m_bFinished = false;
    bool m_bAsking = false; // the question about the session left behind is open
};
