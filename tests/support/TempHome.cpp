// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempHome.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

namespace {
const char* const kVars[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                             "XDG_RUNTIME_DIR"};

void PointVarsAt(const QString& root)
{
    const QString config = root + "/.config";
    const QString data = root + "/.local/share";
    const QString cache = root + "/.cache";
    const QString run = root + "/run";
    for (const QString& d : {config, data, cache, run})
        QDir().mkpath(d);
    QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", root.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    qputenv("XDG_DATA_HOME", data.toLocal8Bit());
    qputenv("XDG_CACHE_HOME", cache.toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", run.toLocal8Bit());
}
} // namespace

CTempHome::CTempHome()
{
    for (const char* v : kVars)
        m_saved.insert(v, qgetenv(v));
    PointVarsAt(m_dir.path());
}

CTempHome::~CTempHome()
{
    for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it)
        qputenv(it.key().constData(), it.value());
}

void CTempHome::SetupProcessHome(const QString& root)
{
    PointVarsAt(root);
}
