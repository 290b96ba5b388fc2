// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QUrl;

// Whether the engine may fetch `request` for a frame, a picture, a style sheet, a script or a
// read of the page whose top document is `page`. A page opened from a file reaches files only
// in its own folder and the folders below it; a web page reaches none. The pages that are
// themselves shown (main frames) are not judged here.
bool MayFetchLocalFile(const QUrl& request, const QUrl& page, bool bMainFrame);
