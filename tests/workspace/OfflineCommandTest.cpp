// SPDX-License-Identifier: GPL-3.0-or-later
// Work Offline: the connected-state option of the internet layer, the command that flips it
// and the check rule that shows it.
#include "workspace/OfflineCommand.h"
#include "platform/InternetState.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {
class OfflineCommandTest : public ::testing::Test
{
protected:
    void TearDown() override { SetState({INTERNET_STATE_CONNECTED, 0}); }

    static bool SetState(INTERNET_CONNECTED_INFO info)
    {
        return InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info);
    }
    static INTERNET_CONNECTED_INFO State()
    {
        INTERNET_CONNECTED_INFO info{0xdead, 0xbeef};
        std::uint32_t size = sizeof info;
        EXPECT_TRUE(InternetQueryOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, &size));
        EXPECT_EQ(size, 8u);
        return info;
    }
};

TEST_F(OfflineCommandTest, WorkOfflineTwiceGoesOfflineAndBackWithTheCheckMark)
{
    QSignalSpy spy(CInternetState::Instance(), &CInternetState::offlineChanged);
    EXPECT_EQ(State().dwConnectedState, quint32(INTERNET_STATE_CONNECTED));
    EXPECT_FALSE(IsWorkOfflineChecked());

    ToggleWorkOffline();
    EXPECT_EQ(State().dwConnectedState, quint32(INTERNET_STATE_DISCONNECTED_BY_USER));
    EXPECT_TRUE(IsWorkOfflineChecked());
    EXPECT_TRUE(IsOffline());

    ToggleWorkOffline();
    EXPECT_EQ(State().dwConnectedState, quint32(INTERNET_STATE_CONNECTED));
    EXPECT_FALSE(IsWorkOfflineChecked());
    EXPECT_FALSE(IsOffline());

    ASSERT_EQ(spy.size(), 2);
    EXPECT_TRUE(spy[0][0].toBool());
    EXPECT_FALSE(spy[1][0].toBool());
}

TEST_F(OfflineCommandTest, OnlyTheUserBitCountsAndTheFlagsStay)
{
    // Idle and offline by the user: the mark shows, and the command goes online.
    ASSERT_TRUE(SetState(
        {INTERNET_STATE_IDLE | INTERNET_STATE_DISCONNECTED_BY_USER, ISO_FORCE_DISCONNECTED}));
    EXPECT_TRUE(IsWorkOfflineChecked());
    ToggleWorkOffline();
    EXPECT_EQ(State().dwConnectedState, quint32(INTERNET_STATE_CONNECTED));
    EXPECT_EQ(State().dwFlags, quint32(ISO_FORCE_DISCONNECTED));

    // Disconnected, but not by the user: that is not offline, so the command goes offline.
    ASSERT_TRUE(SetState({INTERNET_STATE_DISCONNECTED, 0}));
    EXPECT_FALSE(IsWorkOfflineChecked());
    EXPECT_FALSE(IsOffline());
    ToggleWorkOffline();
    EXPECT_EQ(State().dwConnectedState, quint32(INTERNET_STATE_DISCONNECTED_BY_USER));
}

TEST_F(OfflineCommandTest, TheOptionRefusesHandlesOtherOptionsAndShortBuffers)
{
    INTERNET_CONNECTED_INFO offline{INTERNET_STATE_DISCONNECTED_BY_USER, 0};
    int handle = 0;
    EXPECT_FALSE(InternetSetOption(&handle, INTERNET_OPTION_CONNECTED_STATE, &offline, 8));
    EXPECT_FALSE(InternetSetOption(nullptr, 51, &offline, 8));
    EXPECT_FALSE(InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, &offline, 4));
    EXPECT_FALSE(InternetSetOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, nullptr, 8));
    EXPECT_FALSE(IsOffline());

    INTERNET_CONNECTED_INFO info{7, 7};
    std::uint32_t size = 4;
    EXPECT_FALSE(InternetQueryOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, &size));
    EXPECT_EQ(size, 8u); // the size it needs
    EXPECT_EQ(info.dwConnectedState, 7u);
    EXPECT_FALSE(InternetQueryOption(&handle, INTERNET_OPTION_CONNECTED_STATE, &info, &size));
    EXPECT_FALSE(InternetQueryOption(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, nullptr));
}
} // namespace
