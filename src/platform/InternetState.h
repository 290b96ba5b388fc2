// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <cstdint>

// The process-wide connected state of the internet layer, read and set the way the
// platform's internet library does it: option INTERNET_OPTION_CONNECTED_STATE with an
// INTERNET_CONNECTED_INFO record and a null handle. While the state has the bit
// INTERNET_STATE_DISCONNECTED_BY_USER the program is offline and the engine's network
// requests are refused (COfflineInterceptor).

struct INTERNET_CONNECTED_INFO
{
    std::uint32_t dwConnectedState;
    std::uint32_t dwFlags;
};

enum : std::uint32_t
{
    INTERNET_OPTION_CONNECTED_STATE = 50,

    INTERNET_STATE_CONNECTED = 0x1,
    INTERNET_STATE_DISCONNECTED = 0x2,
    INTERNET_STATE_DISCONNECTED_BY_USER = 0x10,
    INTERNET_STATE_IDLE = 0x100,
    INTERNET_STATE_BUSY = 0x200,

    ISO_FORCE_DISCONNECTED = 0x1,
};

using HINTERNET = void*;

// Copies the record into pBuffer. Fails for a handle, an option other than the connected
// state, or a buffer smaller than the record (*pdwBufferLength then tells the size needed).
bool InternetQueryOption(HINTERNET hInternet, std::uint32_t dwOption, void* pBuffer,
                         std::uint32_t* pdwBufferLength);
// Replaces the record with the one in pBuffer. Fails the same way as the query.
bool InternetSetOption(HINTERNET hInternet, std::uint32_t dwOption, const void* pBuffer,
                       std::uint32_t dwBufferLength);

// True while the state has INTERNET_STATE_DISCONNECTED_BY_USER. Safe from any thread.
bool IsOffline();

// Tells when the program goes offline or online again.
class CInternetState : public QObject
{
    Q_OBJECT
public:
    static CInternetState* Instance();

signals:
    void offlineChanged(bool bOffline);
};
