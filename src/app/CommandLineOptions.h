// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The few options the program answers by itself before anything else starts: no window, no
// engine, no single-instance channel and no settings file. Every other argument keeps its
// meaning as an address or as "-u" with a shortcut file.
class CCommandLineOptions
{
public:
    enum class Action
    {
        Start,           // go on: the arguments are an address or a shortcut file
        Help,            // print Usage() on the standard output, exit 0
        Version,         // print VersionLine() on the standard output, exit 0
        Error,           // print Message() on the standard error, exit 2
        ImportFavorites, // read the bookmark file File() into the Favorites folder, exit 0 or 1
        ExportFavorites  // write the Favorites folder as the bookmark file File(), exit 0 or 1
    };

    // Looks at argv[1..]. The first of --help, --version, --import-favorites FILE and
    // --export-favorites FILE wins; any other argument that
    // begins with "--" is an unknown option. The argument after a separate "-u" is a file
    // path and is never taken for an option, and a separate "--" ends the options: every
    // argument after it is part of the address.
    explicit CCommandLineOptions(const QStringList& args);

    // The index of the "--" that ends the options; the argument count when there is none.
    static qsizetype EndOfOptions(const QStringList& args);

    Action GetAction() const { return m_action; }
    QString Message() const { return m_strMessage; }
    QString File() const { return m_strFile; }

    static QString VersionLine();
    static QString Usage();

    // argv[1..] joined with single blanks; "-u" given as an argument of its own takes the
    // next argument whole as the shortcut path.
    static QString CommandLineFromArgs(const QStringList& args);
    // The start address for a command line: the line itself, or the address of the
    // shortcut file named after a leading "-u".
    static QString StartAddressFromCommandLine(const QString& commandLine);
    // The start address for argv[1..]: after a separate "--" every argument is taken as
    // (part of) the address as it is, never as an option or a shortcut file.
    static QString StartAddressFromArgs(const QStringList& args);
    // StartAddressFromArgs, with a relative path to an existing file made absolute (it is
    // meant for this process's working folder, not the running browser's).
    static QString StartAddress(const QStringList& args);

    // For main(): prints what help, version or an error asks for and returns the exit
    // status; -1 for Start and the favorites commands, which the caller carries out.
    int Answer() const;

private:
    Action m_action = Action::Start;
    QString m_strMessage;
    QString m_strFile;
};
