#pragma once

#include <QString>
#include <QStringList>

// What the browser had open: the panes' addresses in tab order and which one was in front.
struct SessionData
{
    QStringList addresses;
    int nActive = 0; // index into addresses

    bool operator==(const SessionData&) const = default;
};

// The session file, $XDG_DATA_HOME/nuvBrowser/session: text in UTF-8, a first line naming the
// format and its version, then "active <index>" and one "pane <address>" line per pane, the
// addresses percent-encoded where they hold blanks, line ends or "%". The file exists while a
// browser runs with pages open; a start that finds it knows the last run did not end
// normally. session.bak beside it keeps a session that was put aside.
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
    QString BackupPath() const { return m_strPath + QStringLiteral(".bak"); }
    // Present while a restored session is in its first moments (see CSessionKeeper).
    QString RestoringMarkerPath() const { return m_strPath + QStringLiteral(".restoring"); }

    ReadResult Read(SessionData* pData) const;
    // Replaces the file atomically; the folder is made when missing.
    bool Write(const SessionData& data) const;
    void Remove() const;
    // The file becomes session.bak (an older backup is replaced).
    bool MoveToBackup() const;

    static QByteArray Format(const SessionData& data);
    static bool Parse(const QByteArray& bytes, SessionData* pData);

    static const char* const kHeader; // "nuvBrowser session 1"

private:
    QString m_strPath;
};
