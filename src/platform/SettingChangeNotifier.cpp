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
