// SPDX-License-Identifier: GPL-3.0-or-later
#include "BookmarkFile.h"

#include <QCoreApplication>

namespace {
QString Tr(const char* text)
{
    return QCoreApplication::translate("CBookmarkFile", text);
}

// The value of the attribute `name` in the text of a start tag (after its name); empty when
// it has none.
QString Attribute(QStringView tag, QLatin1StringView name)
{
    qsizetype i = 0;
    const qsizetype n = tag.size();
    while (i < n) {
        while (i < n && (tag[i].isSpace() || tag[i] == QLatin1Char('/')))
            ++i;
        const qsizetype nameStart = i;
        while (i < n && !tag[i].isSpace() && tag[i] != QLatin1Char('='))
            ++i;
        const QStringView attrName = tag.mid(nameStart, i - nameStart);
        while (i < n && tag[i].isSpace())
            ++i;
        QStringView value;
        if (i < n && tag[i] == QLatin1Char('=')) {
            ++i;
            while (i < n && tag[i].isSpace())
                ++i;
            if (i < n && (tag[i] == QLatin1Char('"') || tag[i] == QLatin1Char('\''))) {
                const QChar quote = tag[i++];
                const qsizetype end = tag.indexOf(quote, i);
                const qsizetype stop = end < 0 ? n : end;
                value = tag.mid(i, stop - i);
                i = stop + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !tag[i].isSpace())
                    ++i;
                value = tag.mid(valueStart, i - valueStart);
            }
        }
        if (attrName.compare(name, Qt::CaseInsensitive) == 0)
            return CBookmarkFile::DecodeEntities(value.toString());
        if (attrName.isEmpty() && i < n)
            ++i; // a stray "=": never stuck
    }
    return QString();
}

qint64 DateAttribute(QStringView tag)
{
    bool bOk = false;
    const qint64 seconds = Attribute(tag, QLatin1StringView("ADD_DATE")).toLongLong(&bOk);
    return bOk && seconds > 0 ? seconds : 0;
}

// The content of an element up to its end tag (any inner tags dropped), entities decoded and
// white space collapsed; *pEnd is where the end tag starts (the end of the text without one).
QString ElementText(const QString& text, qsizetype from, QLatin1StringView endTag, qsizetype* pEnd)
{
    qsizetype end = text.indexOf(endTag, from, Qt::CaseInsensitive);
    if (end < 0)
        end = text.size();
    *pEnd = end;
    QString content;
    bool bInTag = false;
    for (qsizetype i = from; i < end; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('<'))
            bInTag = true;
        else if (c == QLatin1Char('>'))
            bInTag = false;
        else if (!bInTag)
            content.append(c);
    }
    return CBookmarkFile::DecodeEntities(content).simplified();
}

void Indent(QByteArray& out, int depth)
{
    out.append(QByteArray(4 * depth, ' '));
}

void FormatList(QByteArray& out, const std::vector<BookmarkNode>& nodes, int depth)
{
    for (const BookmarkNode& node : nodes) {
        Indent(out, depth);
        const QByteArray date = node.addDate > 0
                                    ? " ADD_DATE=\"" + QByteArray::number(node.addDate) + '"'
                                    : QByteArray();
        const QByteArray name = CBookmarkFile::Escape(node.name).toUtf8();
        if (node.bFolder) {
            out += "<DT><H3" + date + '>' + name + "</H3>\n";
            Indent(out, depth);
            out += "<DL><p>\n";
            FormatList(out, node.children, depth + 1);
            Indent(out, depth);
            out += "</DL><p>\n";
        } else {
            out += "<DT><A HREF=\"" + CBookmarkFile::Escape(node.address).toUtf8() + '"' + date +
                   '>' + name + "</A>\n";
        }
    }
}
} // namespace

bool CBookmarkFile::Parse(const QByteArray& bytes, std::vector<BookmarkNode>* pRoots,
                          QString* pError)
{
    pRoots->clear();
    if (bytes.size() > kMaxBytes) {
        *pError = Tr("The file is larger than %1 MiB.").arg(kMaxBytes / (1024 * 1024));
        return false;
    }
    const QString text = QString::fromUtf8(bytes);
    if (!text.contains(QLatin1String("NETSCAPE-Bookmark-file-1"), Qt::CaseInsensitive) &&
        !text.contains(QLatin1String("<DL"), Qt::CaseInsensitive)) {
        *pError = Tr("The file is not a bookmark file (HTML exported by a web browser).");
        return false;
    }

    std::vector<BookmarkNode> roots;
    // The lists open at this point, outermost first. A list's vector does not move while a
    // list inside it is open: entries are added to the innermost one only.
    std::vector<std::vector<BookmarkNode>*> open{&roots};
    qsizetype heading = -1; // the folder of the innermost list whose own list may follow
    bool bOuterSeen = false;
    qsizetype pos = 0;
    while (true) {
        const qsizetype lt = text.indexOf(QLatin1Char('<'), pos);
        if (lt < 0)
            break;
        if (QStringView(text).mid(lt, 4) == QLatin1String("<!--")) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), lt + 4);
            pos = end < 0 ? text.size() : end + 3;
            continue;
        }
        const qsizetype gt = text.indexOf(QLatin1Char('>'), lt);
        if (gt < 0)
            break;
        QStringView tag = QStringView(text).mid(lt + 1, gt - lt - 1);
        pos = gt + 1;
        const bool bClose = tag.startsWith(QLatin1Char('/'));
        if (bClose)
            tag = tag.mid(1);
        qsizetype nameEnd = 0;
        while (nameEnd < tag.size() && tag[nameEnd].isLetterOrNumber())
            ++nameEnd;
        const QStringView name = tag.left(nameEnd);
        const QStringView attributes = tag.mid(nameEnd);
        std::vector<BookmarkNode>& current = *open.back();

        if (name.compare(QLatin1String("DL"), Qt::CaseInsensitive) == 0) {
            if (bClose) {
                if (open.size() > 1)
                    open.pop_back();
            } else if (!bOuterSeen) {
                bOuterSeen = true;
            } else {
                // A list without a heading before it keeps its entries in the enclosing one.
                open.push_back(heading >= 0 ? &current[size_t(heading)].children : open.back());
                if (int(open.size()) - 1 > kMaxDepth) {
                    *pError = Tr("The file nests folders more than %1 deep.").arg(kMaxDepth);
                    return false;
                }
            }
            heading = -1;
        } else if (!bClose && name.compare(QLatin1String("H3"), Qt::CaseInsensitive) == 0) {
            BookmarkNode folder;
            folder.bFolder = true;
            folder.addDate = DateAttribute(attributes);
            folder.name = ElementText(text, pos, QLatin1StringView("</H3"), &pos);
            current.push_back(std::move(folder));
            heading = qsizetype(current.size()) - 1;
        } else if (!bClose && name.compare(QLatin1String("A"), Qt::CaseInsensitive) == 0) {
            BookmarkNode link;
            link.address = Attribute(attributes, QLatin1StringView("HREF")).trimmed();
            link.addDate = DateAttribute(attributes);
            link.name = ElementText(text, pos, QLatin1StringView("</A"), &pos);
            current.push_back(std::move(link));
            heading = -1;
        }
    }
    *pRoots = std::move(roots);
    return true;
}

QByteArray CBookmarkFile::Format(const std::vector<BookmarkNode>& roots)
{
    QByteArray out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                     "<!-- This is an automatically generated file.\n"
                     "     It will be read and overwritten.\n"
                     "     DO NOT EDIT! -->\n"
                     "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                     "<TITLE>Bookmarks</TITLE>\n"
                     "<H1>Bookmarks</H1>\n"
                     "<DL><p>\n";
    FormatList(out, roots, 1);
    out += "</DL><p>\n";
    return out;
}

QString CBookmarkFile::DecodeEntities(const QString& text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    static const struct
    {
        const char* name;
        char16_t c;
    } kNamed[] = {{"amp", u'&'},  {"lt", u'<'},    {"gt", u'>'},
                  {"quot", u'"'}, {"apos", u'\''}, {"nbsp", u'\u00A0'}};
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype semi =
            text[i] == QLatin1Char('&') ? text.indexOf(QLatin1Char(';'), i + 1) : -1;
        if (semi < 0 || semi - i > 10) {
            out.append(text[i++]);
            continue;
        }
        const QString ref = text.mid(i + 1, semi - i - 1);
        bool bDecoded = false;
        if (ref.startsWith(QLatin1Char('#'))) {
            bool bOk = false;
            const bool bHex =
                ref.size() > 1 && (ref[1] == QLatin1Char('x') || ref[1] == QLatin1Char('X'));
            const uint code = bHex ? ref.mid(2).toUInt(&bOk, 16) : ref.mid(1).toUInt(&bOk, 10);
            if (bOk && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
                const char32_t c = code;
                out.append(QString::fromUcs4(&c, 1));
                bDecoded = true;
            }
        } else {
            for (const auto& named : kNamed) {
                if (ref.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0) {
                    out.append(QChar(named.c));
                    bDecoded = true;
                    break;
                }
            }
        }
        if (bDecoded) {
            i = semi + 1;
        } else {
            out.append(text[i++]);
        }
    }
    return out;
}

QString CBookmarkFile::Escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\'':
            out += QLatin1String("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}
