// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Names of downloaded files on disk. The name a server proposes for a download (from its
// Content-Disposition header, the address, or a link's download attribute) is hostile: it may
// name other folders ("../../x", "/etc/x", "..%2F" once decoded), hide the file (".bashrc"),
// carry control characters, or be longer than a file system keeps. Only a name reduced here
// may be offered to the user or touch the disk.
class CDownloadName
{
public:
    // The longest file name Linux file systems keep, in bytes of UTF-8.
    static constexpr int kMaxBytes = 255;

    // The proposed name as a plain file name: its last path component ("/" and "\" both
    // separate), control, formatting and line-separator characters (and broken UTF-16)
    // replaced by "_", blanks and dots taken from its start (so it is neither hidden nor "."
    // or ".."), blanks from its end, and shortened to kMaxBytes keeping its extension.
    // fallback, which must itself be a plain name, when nothing is left.
    static QString Reduce(const QString& proposed,
                          const QString& fallback = QStringLiteral("download"));

    // name cut to at most nMaxBytes of UTF-8 on a character boundary. The extension (".zip",
    // ".tar.gz") stays when it is short; the part before it is cut.
    static QString Shorten(const QString& name, int nMaxBytes);

    // The name of a temporary file that stands beside the file name until it is complete:
    // ".<name>.<tag>.part", with name shortened so that the whole fits in nMaxBytes.
    static QString TempName(const QString& name, const QString& tag, int nMaxBytes = kMaxBytes);
};
