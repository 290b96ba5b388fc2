// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowPlacement.h"

#include <QDataStream>
#include <QGuiApplication>
#include <QIODevice>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {
const char kMagic[4] = {'N', 'U', 'V', 'W'};
const qint32 kVersion = 1;
const qint32 kStateMaximized = 1;
const int kRecordSize = 28;
const int kMinSide = 100; // a smaller window is not one the user left

// The rectangle moved and cut so that it lies on the available part of the screen it is on
// (the primary screen when it is on none).
QRect KeptOnScreen(QRect rc)
{
    const QScreen* screen = QGuiApplication::screenAt(rc.center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return rc;
    const QRect avail = screen->availableGeometry();
    rc.setSize(rc.size().boundedTo(avail.size()));
    if (rc.right() > avail.right())
        rc.moveRight(avail.right());
    if (rc.bottom() > avail.bottom())
        rc.moveBottom(avail.bottom());
    if (rc.left() < avail.left())
        rc.moveLeft(avail.left());
    if (rc.top() < avail.top())
        rc.moveTop(avail.top());
    return rc;
}

struct Record
{
    qint32 nState = 0;
    QRect rc;
};

// False for data that is not a placement record or cannot be a window's rectangle.
bool Parse(const QByteArray& data, Record* pRecord)
{
    if (data.size() != kRecordSize || !data.startsWith(QByteArray(kMagic, sizeof kMagic)))
        return false;
    QDataStream in(data.mid(sizeof kMagic));
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 nVersion = 0, nState = 0, x = 0, y = 0, cx = 0, cy = 0;
    in >> nVersion >> nState >> x >> y >> cx >> cy;
    if (in.status() != QDataStream::Ok || nVersion != kVersion || cx < kMinSide || cy < kMinSide ||
        cx > 1 << 16 || cy > 1 << 16 || qAbs(x) > 1 << 16 || qAbs(y) > 1 << 16)
        return false;
    pRecord->nState = nState;
    pRecord->rc = QRect(x, y, cx, cy);
    return true;
}
} // namespace

QByteArray CWindowPlacement::Save(const QWidget* pWindow)
{
    return Save(pWindow, QByteArray(), true);
}

QByteArray CWindowPlacement::Save(const QWidget* pWindow, const QByteArray& stored, bool bPosition)
{
    const bool bMaximized = pWindow->isMaximized();
    // While maximized or full screen, the rectangle it goes back to.
    QRect rc = pWindow->isMaximized() || pWindow->isFullScreen() ? pWindow->normalGeometry()
                                                                 : pWindow->geometry();
    Record before;
    if (!bPosition && Parse(stored, &before))
        rc.moveTopLeft(before.rc.topLeft());
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData(kMagic, sizeof kMagic);
    out << kVersion << (bMaximized ? kStateMaximized : qint32(0)) << qint32(rc.left())
        << qint32(rc.top()) << qint32(rc.width()) << qint32(rc.height());
    return data;
}

QSize CWindowPlacement::FirstSize(const QSize& available)
{
    // The frame's size is known only once the window is shown: a tenth of the room is kept
    // for it (a title bar, borders, a shadow).
    const QSize room(available.width() * 9 / 10, available.height() * 9 / 10);
    return QSize(1024, 768).boundedTo(room).expandedTo(QSize(kMinSide, kMinSide));
}

bool CWindowPlacement::CanPlaceWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool CWindowPlacement::Restore(QWidget* pWindow, const QByteArray& data)
{
    return Restore(pWindow, data, CanPlaceWindows());
}

bool CWindowPlacement::Restore(QWidget* pWindow, const QByteArray& data, bool bPosition)
{
    Record record;
    if (!Parse(data, &record))
        return false;
    const QRect rc = KeptOnScreen(record.rc);
    if (bPosition)
        pWindow->setGeometry(rc);
    else
        pWindow->resize(rc.size());
    if (record.nState & kStateMaximized)
        pWindow->setWindowState(pWindow->windowState() | Qt::WindowMaximized);
    return true;
}
