// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLineOptions.h"

#include "favorites/ShortcutFile.h"

#include <QFileInfo>
#include <QUrl>

#include <cstdio>

qsizetype CCommandLineOptions::EndOfOptions(const QStringList& args)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-u"))
            ++i; // the shortcut file's path, whatever it looks like
        else if (args[i] == QLatin1String("--"))
            return i;
    }
    return args.size();
}

CCommandLineOptions::CCommandLineOptions(const QStringList& args)
{
    const qsizetype nEnd = EndOfOptions(args);
    for (qsizetype i = 0; i < nEnd; ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("-u")) {
            ++i; // the shortcut file's path, whatever it looks like
            continue;
        }
        if (!arg.startsWith(QLatin1String("--")))
            continue;
        if (arg == QLatin1String("--help")) {
            m_action = Action::Help;
            return;
        }
        if (arg == QLatin1String("--version")) {
            m_action = Action::Version;
            return;
        }
        const bool bImport = arg == QLatin1String("--import-favorites");
        if (bImport || arg == QLatin1String("--export-favorites")) {
            if (i + 1 >= args.size()) {
                m_action = Action::Error;
                m_strMessage = QStringLiteral("nuvbrowser: option '%1' needs a FILE\n").arg(arg);
                return;
            }
            m_action = bImport ? Action::ImportFavorites : Action::ExportFavorites;
            m_strFile = args[i + 1];
            return;
        }
        if (m_action == Action::Start) {
            m_action = Action::Error;
            m_strMessage = QStringLiteral("nuvbrowser: unknown option '%1'\n"
                                          "Try 'nuvbrowser --help' for more information.\n")
                               .arg(arg);
        }
    }
}

QString CCommandLineOptions::VersionLine()
{
    return QStringLiteral("nuvBrowser Version 0.8w");
}

QString CCommandLineOptions::Usage()
{
    return QStringLiteral(
        "Usage: nuvbrowser [--] [ADDRESS]\n"
        "       nuvbrowser -u FILE.url\n"
        "       nuvbrowser --import-favorites FILE | --export-favorites FILE\n"
        "       nuvbrowser --help | --version\n"
        "\n"
        "A tabbed web browser. Opens ADDRESS, or the address of the Internet Shortcut\n"
        "FILE.url, in a new tab; without either it opens the home page. When a browser\n"
        "already runs for this user, the address is handed to it and this start ends.\n"
        "\n"
        "  -u FILE      open the address of an Internet Shortcut (.url) file\n"
        "  --import-favorites FILE\n"
        "               add the bookmarks of FILE (a bookmark file exported by another\n"
        "               browser) to the favorites, print how many, and exit\n"
        "  --export-favorites FILE\n"
        "               write the favorites to FILE as a bookmark file other browsers\n"
        "               import, and exit\n"
        "  --help       print this help and exit\n"
        "  --version    print the version and exit\n"
        "  --           end of the options: what follows is the address, even when it\n"
        "               begins with a dash\n"
        "\n"
        "Files:\n"
        "  ~/.config/nuvBrowser/registry.reg        settings and key bindings\n"
        "  ~/.local/share/nuvBrowser/Favorites      favorites (.url files)\n"
        "  ~/.local/share/nuvBrowser                cookies and log-ins\n"
        "  ~/.local/share/nuvBrowser/session        the pages of the running browser\n"
        "  ~/.local/share/nuvBrowser/session.bak    sessions put aside (and .bak.1 ...)\n"
        "  ~/.cache/nuvBrowser                      the cache of the web pages\n");
}

int CCommandLineOptions::Answer() const
{
    switch (m_action) {
    case Action::Start:
        return -1;
    case Action::Help:
        std::fputs(Usage().toLocal8Bit().constData(), stdout);
        return 0;
    case Action::Version:
        std::fprintf(stdout, "%s\n", VersionLine().toLocal8Bit().constData());
        return 0;
    case Action::Error:
        std::fputs(m_strMessage.toLocal8Bit().constData(), stderr);
        return 2;
    case Action::ImportFavorites:
    case Action::ExportFavorites:
        return -1;
    }
    return -1;
}

QString CCommandLineOptions::CommandLineFromArgs(const QStringList& args)
{
    QStringList parts;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-u") && i + 1 < args.size()) {
            parts << QStringLiteral("-u") + args[i + 1];
            ++i;
        } else {
            parts << args[i];
        }
    }
    return parts.join(QLatin1Char(' '));
}

QString CCommandLineOptions::StartAddressFromCommandLine(const QString& commandLine)
{
    if (commandLine.startsWith(QLatin1String("-u")))
        return QString::fromUtf8(ReadShortcutAddress(commandLine.mid(2)));
    return commandLine;
}

QString CCommandLineOptions::StartAddressFromArgs(const QStringList& args)
{
    const qsizetype nEnd = EndOfOptions(args);
    const QString options = CommandLineFromArgs(args.mid(0, nEnd));
    const QString addresses = args.mid(nEnd + 1).join(QLatin1Char(' '));
    // Only a "-u" before the end of the options names a shortcut file.
    if (options.isEmpty())
        return addresses;
    return StartAddressFromCommandLine(
        addresses.isEmpty() ? options : options + QLatin1Char(' ') + addresses);
}

QString CCommandLineOptions::StartAddress(const QStringList& args)
{
    const QString address = StartAddressFromArgs(args);
    if (!address.isEmpty() && QUrl(address).scheme().size() <= 1) {
        const QFileInfo file(address);
        if (file.isRelative() && file.exists())
            return file.absoluteFilePath();
    }
    return address;
}
