// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/OfflineCommand.h"

#include "platform/InternetState.h"

namespace {
INTERNET_CONNECTED_INFO QueryConnectedState()
{
    INTERNET_CONNECTED_INFO info{0, 0};
    std::uint32_t size = sizeof info;
    InternetQueryOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, &size);
    return info;
}
} // namespace

void ToggleWorkOffline()
{
    INTERNET_CONNECTED_INFO info = QueryConnectedState();
    info.dwConnectedState = (info.dwConnectedState & INTERNET_STATE_DISCONNECTED_BY_USER)
                                ? INTERNET_STATE_CONNECTED
                                : INTERNET_STATE_DISCONNECTED_BY_USER;
    InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info);
}

bool IsWorkOfflineChecked()
{
    return (QueryConnectedState().dwConnectedState & INTERNET_STATE_DISCONNECTED_BY_USER) != 0;
}
