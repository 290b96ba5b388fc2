// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One entry of a bookmark file: a folder with what it holds, or a link.
struct BookmarkNode
{
    bool bFolder = false;
    QString name;
    QString address;    // a link's address, entities decoded
    qint64 addDate = 0; // seconds since 1970 (ADD_DATE); 0 when not known
    std::vector<BookmarkNode> children;

    friend bool operator==(const BookmarkNode&, const BookmarkNode&) = default;
};

// The Netscape bookmark file every major browser exports and imports: HTML with
// "<DT><H3>" folders each followed by a "<DL>" holding its entries, and "<DT><A HREF=...>"
// links. Reading is tolerant of the dialects (Firefox's "<DL><p>", descriptions in "<DD>",
// attributes in any case and quoting) and strict about bounds.
class CBookmarkFile
{
public:
    static constexpr qsizetype kMaxBytes = 16 * 1024 * 1024;
    static constexpr int kMaxDepth = 32; // folders within folders

    // The entries of the file's outer list; false and a message fit to show when the bytes
    // are not a bookmark file, are too large, or nest folders deeper than kMaxDepth.
    static bool Parse(const QByteArray& bytes, std::vector<BookmarkNode>* pRoots, QString* pError);

    // The entries as a bookmark file in UTF-8, folders nested.
    static QByteArray Format(const std::vector<BookmarkNode>& roots);

    // Text with the character references of HTML decoded (named ones the exporters write,
    // decimal and hexadecimal); a reference that is not understood is left as it is.
    static QString DecodeEntities(const QString& text);
    // Text fit for an attribute value or an element's content.
    static QString Escape(const QString& text);
};
