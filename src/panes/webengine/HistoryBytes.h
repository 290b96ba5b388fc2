// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class QWebEngineHistory;

// A page's back/forward history as bytes, in the engine's own stream format (as QDataStream
// writes it), for the session file.
//
// The engine reads such bytes without checking them first: a damaged count or current index
// ends the whole program. Bytes are only handed to it once IsEngineHistory read them through
// in the same way and found them whole.

// A history with an entry that holds a form sent by POST, by the page or by one of its frames,
// is never saved nor restored: the engine keeps the form's body (passwords and all) in that
// entry, and would send it again. Such a page keeps only its address, which loads by GET.

// The history's bytes; empty when the page has none, an entry holds a form's body, or the
// engine wrote what it cannot read.
QByteArray SaveEngineHistory(QWebEngineHistory* pHistory);
// Replaces the history and loads its current page; false, with nothing changed, when the
// bytes are not a whole history of this engine's format or an entry holds a form's body.
bool RestoreEngineHistory(QWebEngineHistory* pHistory, const QByteArray& bytes);
// The bytes are a history of this engine's format with at least one entry, its current
// index among the entries, and nothing after the last entry.
bool IsEngineHistory(const QByteArray& bytes);
