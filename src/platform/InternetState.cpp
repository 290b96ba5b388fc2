// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/InternetState.h"

#include <atomic>
#include <cstring>

namespace {
// Both fields in one word, so a reader on the engine's thread never sees half a record.
std::atomic<std::uint64_t> g_connectedState{INTERNET_STATE_CONNECTED};

std::uint64_t Pack(const INTERNET_CONNECTED_INFO& info)
{
    return std::uint64_t(info.dwFlags) << 32 | info.dwConnectedState;
}

INTERNET_CONNECTED_INFO Unpack(std::uint64_t word)
{
    return {std::uint32_t(word), std::uint32_t(word >> 32)};
}
} // namespace

bool InternetQueryOption(HINTERNET hInternet, std::uint32_t dwOption, void* pBuffer,
                         std::uint32_t* pdwBufferLength)
{
    if (hInternet != nullptr || dwOption != INTERNET_OPTION_CONNECTED_STATE ||
        pdwBufferLength == nullptr)
        return false;
    if (pBuffer == nullptr || *pdwBufferLength < sizeof(INTERNET_CONNECTED_INFO)) {
        *pdwBufferLength = sizeof(INTERNET_CONNECTED_INFO);
        return false;
    }
    const INTERNET_CONNECTED_INFO info = Unpack(g_connectedState.load());
    std::memcpy(pBuffer, &info, sizeof info);
    *pdwBufferLength = sizeof info;
    return true;
}

bool InternetSetOption(HINTERNET hInternet, std::uint32_t dwOption, const void* pBuffer,
                       std::uint32_t dwBufferLength)
{
    if (hInternet != nullptr || dwOption != INTERNET_OPTION_CONNECTED_STATE || pBuffer == nullptr ||
        dwBufferLength < sizeof(INTERNET_CONNECTED_INFO))
        return false;
    INTERNET_CONNECTED_INFO info;
    std::memcpy(&info, pBuffer, sizeof info);
    const INTERNET_CONNECTED_INFO before = Unpack(g_connectedState.exchange(Pack(info)));
    const bool bWasOffline = (before.dwConnectedState & INTERNET_STATE_DISCONNECTED_BY_USER) != 0;
    const bool bOffline = (info.dwConnectedState & INTERNET_STATE_DISCONNECTED_BY_USER) != 0;
    if (bOffline != bWasOffline)
        emit CInternetState::Instance()->offlineChanged(bOffline);
    return true;
}

bool IsOffline()
{
    return (Unpack(g_connectedState.load()).dwConnectedState &
            INTERNET_STATE_DISCONNECTED_BY_USER) != 0;
}

CInternetState* CInternetState::Instance()
{
    static CInternetState s_state;
    return &s_state;
}
