// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempHome.h"
#include "platform/RegistryStore.h"

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

// A fresh home whose registry file the test reads and writes byte for byte.
class RegistryFileTest : public ::testing::Test
{
protected:
    static inline const QString kKey = QStringLiteral("Software\\Qorval\\nuvBrowser\\Options");

    CTempHome home;

    QByteArray FileBytes(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void WriteFile(const QString& path, const QByteArray& bytes) const
    {
        CRegistryStore().CreateKey(QStringLiteral("x")); // makes the folder
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};
