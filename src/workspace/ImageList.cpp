// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/ImageList.h"

#include <QImage>

// The resources are compiled into a static library, whose unreferenced parts the linker
// drops: they are registered on first use instead.
static void InitResources()
{
    static const bool bDone = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)bDone;
}

bool CImageList::Create(const QString& path, int nImageWidth, const QColor& transparent)
{
    m_images.clear();
    m_size = QSize();
    InitResources();
    QImage strip(path);
    if (strip.isNull() || nImageWidth <= 0 || strip.width() < nImageWidth)
        return false;
    strip = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb();
    for (int y = 0; y < strip.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x) {
            if (qAlpha(line[x]) == 255 && (line[x] | 0xff000000u) == (key | 0xff000000u))
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    m_size = QSize(nImageWidth, strip.height());
    for (int x = 0; x + nImageWidth <= strip.width(); x += nImageWidth)
        m_images.append(QPixmap::fromImage(strip.copy(x, 0, nImageWidth, strip.height())));
    return true;
}

QPixmap CImageList::LoadPixmap(const QString& path)
{
    InitResources();
    return QPixmap(path);
}

QPixmap CImageList::Pixmap(int nImage) const
{
    return nImage >= 0 && nImage < m_images.size() ? m_images[nImage] : QPixmap();
}

QIcon CImageList::Icon(int nImage) const
{
    const QPixmap pm = Pixmap(nImage);
    return pm.isNull() ? QIcon() : QIcon(pm);
}
