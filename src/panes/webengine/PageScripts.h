// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/BrowserControl.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

// The scripts the control runs in its pages (in the application world, out of the pages'
// reach) and the reading of their answers. Arguments reach a script only through
// CallScript, serialised as JSON, never pasted into its text.
namespace PageScripts {

// "(<function>)(<arguments as JSON>)"
QString CallScript(const char* function, const QVariantList& args = {});

// The elements at a point in CSS pixels of the top document.
QString ElementsAt(double x, double y);
BrowserElementPath ReadElements(const QVariant& answer);

QString DocumentInfo();
BrowserDocumentInfo ReadDocumentInfo(const QVariant& answer);

// The box of the element with the keyboard focus, in CSS pixels of the top document.
QString FocusedElement();
BrowserFocus ReadFocus(const QVariant& answer, double zoom);

QString BodyMarkup();
BrowserMarkup ReadBodyMarkup(const QVariant& answer);

// The type text of a MIME type as the platform's control words it ("HTML Document",
// "GIF Image", "JPEG Image", ...).
QString TypeText(const QString& mimeType);
// The protocol text of a scheme ("HyperText Transfer Protocol", ...).
QString ProtocolText(const QString& scheme);

} // namespace PageScripts
