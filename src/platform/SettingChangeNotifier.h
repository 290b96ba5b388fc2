// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// The announcement that the platform browser's settings changed; every HTML pane listens
// and re-reads the Main key.
class CSettingChangeNotifier : public QObject
{
    Q_OBJECT
public:
    static CSettingChangeNotifier* Instance();
    static void Broadcast();

signals:
    void settingChanged();
};
