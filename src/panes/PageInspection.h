// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

struct BrowserElement;

// The address of `relative` resolved against `base`; unsafe characters stay as they are.
// Empty when either cannot be read as an address.
QString CombineUrl(const QString& base, const QString& relative);

// Classifies the element path of a point (the element at the point first, then its
// ancestors): PANE_HAS_FRAME with the frame's source resolved against the top document's
// address, or PANE_HAS_LINK and PANE_HAS_IMAGE. An address is written only for a flag that
// is set; the outermost link and image on the path win.
int ClassifyElementPath(const QList<BrowserElement>& path, const QString& topAddress,
                        QString* pLinkAddress, QString* pImageAddress);
