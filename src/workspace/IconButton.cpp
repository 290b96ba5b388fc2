// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/IconButton.h"

#include "workspace/ImageList.h"

#include <QPainter>

namespace {
enum Face
{
    FaceShow,
    FaceHide,
    FaceClose,
    FaceDisabled,
    FaceCount
};

// Loaded with the first button and kept for the rest of the run.
const QPixmap& FacePixmap(Face face)
{
    static const QPixmap faces[FaceCount] = {
        CImageList::LoadPixmap(QStringLiteral(":/res/icon146.png")),
        CImageList::LoadPixmap(QStringLiteral(":/res/icon148.png")),
        CImageList::LoadPixmap(QStringLiteral(":/res/icon149.png")),
        CImageList::LoadPixmap(QStringLiteral(":/res/icon150.png")),
    };
    return faces[face];
}
} // namespace

CIconButton::CIconButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    FacePixmap(FaceShow);
    setFocusPolicy(Qt::NoFocus);
}

QSize CIconButton::sizeHint() const
{
    return QSize(16, 16);
}

void CIconButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QPixmap* pFace = nullptr;
    if (!isEnabled()) {
        pFace = &FacePixmap(FaceDisabled);
    } else {
        const QChar c = text().isEmpty() ? QChar() : text().at(0);
        if (c == QLatin1Char('S'))
            pFace = &FacePixmap(FaceShow);
        else if (c == QLatin1Char('H'))
            pFace = &FacePixmap(FaceHide);
        else if (c == QLatin1Char('C'))
            pFace = &FacePixmap(FaceClose);
    }
    if (pFace == nullptr || pFace->isNull())
        return;
    // At the top left, one pixel down, on a 16-pixel button; centred on a larger one.
    const int x = qMax(0, (width() - pFace->width()) / 2);
    const int y = qMax(0, (height() - pFace->height()) / 2) + 1;
    p.drawPixmap(x, y, *pFace);
}
