// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Text written by Windows programs: 8-bit text in its ANSI code page (Windows-1252 for the
// western languages) and the UTF-7 form Internet Shortcut files carry their exact address in.

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const QByteArray& bytes);

// The bytes as Windows-1252: 0x80 ... 0x9F are its printable characters (the five codes the
// code page leaves unassigned become the control characters of the same number), the rest
// as in Latin-1.
QString FromWindows1252(const QByteArray& bytes);

// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString FromUtf8OrWindows1252(const QByteArray& bytes);

// Decodes UTF-7 (RFC 2152: "+" starts a base64 run of UTF-16 units, "-" or any other
// character ends it, "+-" is a plus sign). False for bytes that are not UTF-7: a byte
// outside ASCII, a run that leaves a partial unit or a badly paired surrogate.
bool FromUtf7(const QByteArray& bytes, QString* pText);
