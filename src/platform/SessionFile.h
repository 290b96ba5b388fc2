// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/BackupSlots.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A pane closed while the browser ran, kept so that it can be opened again: its place among the
// panes' tabs when it closed (0 for the first pane), and what is kept of an open pane.
struct ClosedPane
{
    QString address;
    QString title;
    QByteArray history;
    int nPosition = 0;
    bool operator==(const ClosedPane& other) const = default;
};

// What the browser had open: the panes' addresses in tab order, which one was in front, each
// page's title and its back/forward history as the engine saved it; and the panes closed last.
struct SessionData
{
    SessionData(const QStringList& addresses_ = {}, int nActive_ = 0,
                const QList<QByteArray>& histories_ = {}, const QStringList& titles_ = {})
        : addresses(addresses_), nActive(nActive_), histories(histories_), titles(titles_)
    {
    }

    QStringList addresses;
    int nActive = 0; // index into addresses
    // Beside each address; empty, or missing at the end, where a pane has none.
    QList<QByteArray> histories;
    QStringList titles;
    QList<ClosedPane> closed; // the one closed last at the end

    QByteArray History(qsizetype i) const { return histories.value(i); }
    QString Title(qsizetype i) const { return titles.value(i); }
    bool operator==(const SessionData& other) const;
};

// The session file, $XDG_DATA_HOME/nuvBrowser/session: text in UTF-8, a first line naming the
// format and its version, then "active <index>" and one "pane <address>" line per pane, the
// addresses percent-encoded where they hold blanks, line ends or "%". A pane's title follows
// its pane line as "title <text>" (percent-encoded the same way, blanks kept), then its history
// as "history <base64>"; either is left out where the pane has none. The closed panes follow the
// open ones, the one closed last at the end, each as "closed <place> <address>" with its title
// and history lines after it in the same way. The file exists while a
// browser runs with pages open; a start that finds it knows the last run did not end normally.
// Sessions put aside are kept beside it as session.bak, session.bak.1 ... (see CBackupSlots). The
// file and its backups are the user's own to read (mode 0600): the histories hold what pages
// showed.
//
// A history is only an extra: one larger than kMaxHistoryBytes, or one that would take the
// file beyond what Read accepts, is left out (the open panes' histories come first, then the
// closed ones', the last closed first), and one that cannot be decoded reads as none.
// A title is kept to its first kMaxTitleChars characters, written and read.
// Files of version 1 (no histories, no titles), 2 (no titles) and 3 (no closed panes) still
// read; any other version is refused.
class CSessionFile
{
public:
    enum class ReadResult
    {
        Missing,
        Ok,
        Damaged // unreadable, another format or version, or lines that make no sense
    };

    // The session file of this user; a path of its own for tests.
    CSessionFile();
    explicit CSessionFile(const QString& path);

    const QString& Path() const { return m_strPath; }
    // The backups, oldest first: slot 0 is session.bak.
    QString BackupPath(int slot = 0) const { return CBackupSlots(m_strPath).SlotPath(slot); }
    // Present while a restored session is in its first moments (see CSessionKeeper).
    QString RestoringMarkerPath() const { return m_strPath + QStringLiteral(".restoring"); }

    ReadResult Read(SessionData* pData) const;
    // Replaces the file atomically; the folder is made when missing.
    bool Write(const SessionData& data) const;
    void Remove() const;
    // The file becomes the newest backup; no older one is written over while a slot is free.
    // The path it went to is empty when there was no file or it could not be moved.
    CBackupSlots::Kept MoveToBackup() const;

    static QByteArray Format(const SessionData& data);
    static bool Parse(const QByteArray& bytes, SessionData* pData);

    static const char* const kHeader; // "nuvBrowser session 4"
    static constexpr qsizetype kMaxFileBytes = 16 * 1024 * 1024;
    static constexpr qsizetype kMaxHistoryBytes = 256 * 1024;
    static constexpr qsizetype kMaxTitleChars = 512;

private:
    QString m_strPath;
};
