// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LoopbackHttpServer.h"
#include "TempHome.h"

#include <gtest/gtest.h>

// An engine test: a loopback server started for the test, and the engine's one message
// about the missing GL of the offscreen platform allowed.
class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_server.Start()); }

    // A 1 x 1 GIF picture.
    static QByteArray GifBytes()
    {
        return QByteArray::fromBase64(
            "R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");
    }

    CExpectQtWarning m_noGl{"No suitable graphics backend found"};
    CLoopbackHttpServer m_server;
};
