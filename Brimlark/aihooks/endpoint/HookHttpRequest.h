#pragma once

#include "platform/LoopbackListener.h"
#include "platform/RequestFraming.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// How far the bytes received on one connection make a request: the head up to the first empty
// line (CR LF CR LF), then exactly as many body bytes as a "Content-Length" header (any letter
// case) asks for, or none without one; bytes after that are no part of the request. Never more
// than maxBytes in all. Byte level, no decoding.
class HookHttpRequest {
public:
    // The most bytes one request may take, head and body together.
    static constexpr qsizetype maxBytes = 65536;

    // complete: the head and the announced body are there; tooLarge: the request cannot fit in
    // maxBytes; malformedLength: a Content-Length that is not a decimal number, or more than one;
    // lengthRequired: body bytes after a head without Content-Length; unsupportedEncoding: a
    // "Transfer-Encoding" header (chunked bodies are not read).
    using Framing = RequestFraming;

    static Framing assess(QByteArrayView received);
    // How many of the received bytes the request takes: the head and the announced body, or all
    // of them while the head is incomplete; never more than received.
    static qsizetype requestLength(QByteArrayView received);

    // Where the head ends: the index of the first CR LF CR LF, or nothing.
    static std::optional<qsizetype> headEnd(QByteArrayView received);
    // True when a header line of `head` (the request line excluded) has this name, in any case.
    static bool hasHeader(QByteArrayView head, QByteArrayView name);
    // The values of every header line of `head` with this name, in any case, in order.
    static QList<QByteArrayView> headerValues(QByteArrayView head, QByteArrayView name);
    // True when the head has arrived and asks to be told to go on before it sends its body
    // ("Expect: 100-continue", any letter case).
    static bool expectsContinue(QByteArrayView received);
    // "HTTP/1.1 100 Continue" and an empty line when expectsContinue(), else nothing.
    static QByteArray interimResponse(QByteArrayView received);
    // The framing above for a loopback listener; the caller adds how requests are answered.
    static LoopbackListener::Protocol protocol();

private:
    struct Head {
        int lengthHeaders = 0;
        bool validLength = true;
        qint64 length = 0;
        bool transferEncoding = false;
    };
    static Head readHead(QByteArrayView head);
};
