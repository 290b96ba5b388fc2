// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>
#include <QString>

// A row of equally wide images cut from one strip picture, as the tree and the tab strip
// pick them by index. Pixels of the transparent colour become transparent.
class CImageList
{
public:
    // Cuts the picture at path into images nImageWidth wide (the picture's height high).
    // False, and an empty list, when the picture cannot be read or is narrower than one image.
    bool Create(const QString& path, int nImageWidth, const QColor& transparent = Qt::red);

    int GetImageCount() const { return m_images.size(); }
    QSize GetImageSize() const { return m_size; }
    // A null pixmap / icon for an index outside the list.
    QPixmap Pixmap(int nImage) const;
    QIcon Icon(int nImage) const;
    const QList<QPixmap>& Images() const { return m_images; }

    // One picture of the program's resources; a null pixmap when there is none.
    static QPixmap LoadPixmap(const QString& path);

private:
    QList<QPixmap> m_images;
    QSize m_size;
};
