// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// A fresh, empty home for one test: HOME and the XDG folders point into a temporary
// directory until the object is destroyed, then the previous values come back.
class CTempHome
{
public:
    CTempHome();
    ~CTempHome();
    CTempHome(const CTempHome&) = delete;
    CTempHome& operator=(const CTempHome&) = delete;

    QString Path() const { return m_dir.path(); }
    QString ConfigHome() const { return m_dir.path() + "/.config"; }
    QString DataHome() const { return m_dir.path() + "/.local/share"; }
    QString RuntimeDir() const { return m_dir.path() + "/run"; }
    QString RegistryPath() const { return ConfigHome() + "/nuvBrowser/registry.reg"; }

    // Sets up the variables for the whole process (used once by the test main).
    static void SetupProcessHome(const QString& root);

private:
    QTemporaryDir m_dir;
    QMap<QByteArray, QByteArray> m_saved;
};

// Qt warnings fail the running test unless they contain one of the allowed texts.
// A test that provokes a warning on purpose names it with this guard.
class CExpectQtWarning
{
public:
    explicit CExpectQtWarning(const QString& fragment);
    ~CExpectQtWarning();
    int Seen() const;

private:
    QString m_strFragment;
};
