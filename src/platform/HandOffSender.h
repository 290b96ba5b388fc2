// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// dwData of an address handed over by a second start.
constexpr quint32 kHandOffData = 39919;
// The largest text a hand-off record may carry, in bytes with its terminating zero.
constexpr quint32 kMaxHandOffBytes = 64 * 1024;

// What became of a start's attempt to hand its address over (or to become the browser).
enum class HandOffResult
{
    Claimed,   // no browser runs: this process listens now and becomes the browser
    HandedOff, // a browser took the record and answered
    Hung,      // a browser accepted the connection but gave no answer in time
    TooLong,   // a browser runs, but the address does not fit in a record: nothing sent
    Failed,    // no usable runtime folder, or the socket cannot be listened on
    NoBrowser, // nobody listens, nothing was sent (and this start did not listen)
};

// The sending half of the single-instance channel (CSingleInstance is the whole of it). It
// uses plain sockets and Qt Core alone: it needs no application object nor event loop, so a
// second start, or the small launcher program, hands its address over before it loads
// anything else. The look for a browser runs under a lock beside the socket, so two starts
// at the same moment cannot both find no browser.
class CHandOffSender
{
public:
    static constexpr int kDefaultTimeoutMs = 10000;
    static const char* const kSocketName; // "WCE_nuvBrowserClass"

    // Called under the claim lock when nobody listens: makes this process the browser.
    using Listen = std::function<HandOffResult(const QString& socketPath)>;

    // nTimeoutMs bounds the wait for a browser's answer. An empty folder means RuntimeFolder().
    explicit CHandOffSender(int nTimeoutMs = kDefaultTimeoutMs,
                            const QString& runtimeFolder = QString());

    // The socket's path; empty when no safe runtime folder exists.
    QString SocketPath() const;

    // Hands the address to a running browser and waits for its answer (pAnswer gets it after
    // HandedOff, false otherwise). When nobody listens (a socket left by a crashed browser
    // included): the result of listen, or NoBrowser without one.
    HandOffResult HandOff(const QString& address, bool* pAnswer = nullptr,
                          const Listen& listen = Listen()) const;

    // The bytes a later start sends for the text.
    static QByteArray EncodeRecord(quint32 dwData, const QString& text);

private:
    HandOffResult SendRecord(int fd, const QString& address, bool* pAnswer) const;

    int m_nTimeoutMs;
    QString m_strFolder;
};
