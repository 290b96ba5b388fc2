// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingChangeNotifier.h"

CSettingChangeNotifier* CSettingChangeNotifier::Instance()
{
    static CSettingChangeNotifier notifier;
    return &notifier;
}

void CSettingChangeNotifier::Broadcast()
{
    emit Instance()->settingChanged();
}
