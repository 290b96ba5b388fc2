#pragma once

#include <QString>
#include <QUrl>

// The address a typed or handed-over text stands for: the text itself when it names a
// scheme, else a file:// address for an existing file or folder, else http://. An invalid
// QUrl for empty text.
QUrl UrlFromAddress(const QString& address);
