// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's stored placement: a window started again and again comes back where the
// user left it, kept on the screen, and bad records change nothing.
#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {
std::unique_ptr<QMainWindow> ShownWindow(const QByteArray& placement)
{
    auto window = std::make_unique<QMainWindow>();
    window->resize(300, 200);
    EXPECT_TRUE(CWindowPlacement::Restore(window.get(), placement));
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
}

QRect Avail()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

TEST(WindowPlacementTest, TheWindowComesBackWhereItWasLeftStartAfterStart)
{
    const QRect avail = Avail();
    const QRect cases[] = {
        {avail.topLeft(), QSize(400, 300)}, // the screen's top left corner
        {avail.left() + 37, avail.top() + 55, 420, 310},
        {QPoint(avail.right() - 499, avail.bottom() - 399), QSize(500, 400)}, // bottom right
    };
    for (const QRect& rc : cases) {
        SCOPED_TRACE(QStringLiteral("%1,%2 %3x%4")
                         .arg(rc.x())
                         .arg(rc.y())
                         .arg(rc.width())
                         .arg(rc.height())
                         .toStdString());
        QMainWindow first;
        first.setGeometry(rc);
        first.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
        const QRect left = first.geometry();
        const QRect frame = first.frameGeometry();
        QByteArray placement = CWindowPlacement::Save(&first);
        for (int nStart = 0; nStart < 3; ++nStart) {
            auto window = ShownWindow(placement);
            EXPECT_EQ(window->geometry(), left) << "start " << nStart;
            EXPECT_EQ(window->frameGeometry(), frame) << "start " << nStart;
            placement = CWindowPlacement::Save(window.get());
        }
    }
}

TEST(WindowPlacementTest, AMaximizedWindowComesBackMaximizedAndThenGoesBackToItsOwnPlace)
{
    const QRect rc(Avail().left() + 20, Avail().top() + 30, 400, 300);
    QMainWindow first;
    first.setGeometry(rc);
    first.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
    first.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.isMaximized(); }));
    auto window = ShownWindow(CWindowPlacement::Save(&first));
    EXPECT_TRUE(window->isMaximized());
    window->showNormal();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->geometry() == rc; }))
        << window->geometry().x() << "," << window->geometry().y();
}

TEST(WindowPlacementTest, APlaceOffTheScreenIsBroughtBackOntoIt)
{
    const QRect avail = Avail();
    const QRect cases[] = {
        {avail.right() + 500, avail.bottom() + 500, 400, 300}, // beyond the screen
        {avail.left() - 200, avail.top() - 100, 400, 300},     // partly above and left
        {avail.left() + 10, avail.top() + 10, avail.width() + 300, avail.height() + 200},
    };
    for (const QRect& rc : cases) {
        QMainWindow first;
        first.setGeometry(rc);
        auto window = ShownWindow(CWindowPlacement::Save(&first));
        // The window's own rectangle; the frame around it is the window system's.
        const QRect shown = window->geometry();
        EXPECT_TRUE(avail.contains(shown.topLeft())) << rc.x() << "," << rc.y();
        EXPECT_LE(shown.width(), avail.width());
        EXPECT_LE(shown.height(), avail.height());
        EXPECT_TRUE(avail.intersected(shown).width() * 10 >= shown.width() * 9);
    }
}

TEST(WindowPlacementTest, RecordsThatAreNotPlacementsChangeNothing)
{
    QMainWindow model;
    model.setGeometry(40, 50, 400, 300);
    const QByteArray good = CWindowPlacement::Save(&model);
    ASSERT_EQ(good.size(), 28);
    QByteArray tiny = good;
    tiny[20] = 10; // a width of 10 pixels
    tiny[21] = 0;
    QByteArray otherVersion = good;
    otherVersion[4] = 2;
    const QByteArray cases[] = {
        QByteArray(),         good.left(27), good + "x",   QByteArray(28, '\0'),
        model.saveGeometry(), tiny,          otherVersion,
    };
    for (const QByteArray& data : cases) {
        QMainWindow window;
        window.setGeometry(10, 20, 300, 200);
        EXPECT_FALSE(CWindowPlacement::Restore(&window, data)) << data.toHex().constData();
        EXPECT_EQ(window.geometry(), QRect(10, 20, 300, 200));
    }
}
} // namespace

namespace {
TEST(WindowPlacementTest, WithoutPlacingOnlyTheSizeAndTheStateComeBack)
{
    EXPECT_TRUE(CWindowPlacement::CanPlaceWindows()) << "the test platform places windows";
    const QRect avail = Avail();
    QMainWindow first;
    first.setGeometry(avail.left() + 61, avail.top() + 47, 430, 320);
    first.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
    const QByteArray placement = CWindowPlacement::Save(&first);

    QMainWindow second;
    second.setGeometry(avail.left() + 5, avail.top() + 6, 300, 200);
    const QPoint before = second.pos();
    ASSERT_TRUE(CWindowPlacement::Restore(&second, placement, false));
    EXPECT_EQ(second.size(), QSize(430, 320));
    EXPECT_EQ(second.pos(), before) << "the position is left to the compositor";

    // Saved there, the window's own position means nothing: the stored one is kept for the
    // next start where windows are placed; without a stored record, the window's own counts.
    second.resize(450, 330);
    const struct
    {
        QByteArray stored;
        QPoint expected;
    } saves[] = {
        {placement, first.geometry().topLeft()},
        {QByteArray("damaged"), second.geometry().topLeft()},
        {QByteArray(), second.geometry().topLeft()},
    };
    for (const auto& c : saves) {
        SCOPED_TRACE(c.stored.toHex().constData());
        QMainWindow third;
        ASSERT_TRUE(CWindowPlacement::Restore(
            &third, CWindowPlacement::Save(&second, c.stored, false), true));
        EXPECT_EQ(third.geometry().topLeft(), c.expected);
        EXPECT_EQ(third.size(), QSize(450, 330)) << "the size is always the window's own";
    }
}
} // namespace

TEST(WindowPlacementTest, TheFirstWindowFitsTheScreenWithItsFrame)
{
    const struct
    {
        QSize available;
        QSize first;
    } cases[] = {
        {{1920, 1080}, {1024, 768}},
        {{1280, 800}, {1024, 720}}, // a small laptop: the frame still fits below 800
        {{1024, 768}, {921, 691}},
        {{800, 600}, {720, 540}},
        {{0, 0}, {100, 100}}, // a screen that reports no room
    };
    for (const auto& c : cases)
        EXPECT_EQ(CWindowPlacement::FirstSize(c.available), c.first) << c.available.width();
}
