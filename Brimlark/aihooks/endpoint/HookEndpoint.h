#pragma once

#include "Brimlark/aihooks/endpoint/HookHttpRequest.h"
#include "Brimlark/aihooks/events/HookEvent.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

// The request side of the hook endpoint: routes one request's bytes and builds the complete
// response, byte for byte: the status line, "Content-Type: application/json", "Content-Length",
// "Connection: close" and a compact JSON body; no other header. Pure; runs on the listener thread.
// The body is exactly Content-Length bytes; anything the client sent after it is ignored.
//
//   GET "/" or "/healthz"       200 {"ok":true,"service":"brimlark"}
//   POST "/event" or "/"        200 {"ok":true} with the decoded events, else 400;
//                               411 without Content-Length
//   any other method            405 "method M not supported"
//   POST to another path        404 "unknown path P"
//   an "Origin" header          403: browsers send one, hook clients never do
//   a "Host" other than the     403: a page whose own name was made to point at this machine
//   loopback name and port           (DNS rebinding) sends that name
class HookEndpoint {
public:
    // The port the hook commands post to unless another is set.
    static constexpr quint16 defaultPort = 43434;

    struct Reply {
        QByteArray response;
        // The events of an accepted POST, in body order; empty for every other answer.
        QList<HookEvent> events;
        // A refusal's status code and the reason its body gives; 200 and empty otherwise.
        int statusCode = 200;
        QString reason;
    };

    // Answers the bytes of one request, complete or not. `now` stands in for the time of events
    // that carry none.
    // `port` is the one the endpoint listens on: a "Host" header must name 127.0.0.1 or
    // localhost, with that port or defaultPort (or none).
    static Reply handleRequest(const QByteArray& bytes, const QDateTime& now, quint16 port = defaultPort);
    // Answers what the transport found: 413 for a request too large, 400 for a bad
    // Content-Length, 411 for a body without one, 501 for a Transfer-Encoding, 408 for a request
    // abandoned before its end, otherwise handleRequest().
    static Reply answer(const QByteArray& bytes, HookHttpRequest::Framing framing, const QDateTime& now,
                        quint16 port = defaultPort);
    // Whether a "Host" header's value names this machine's loopback endpoint on `port`.
    static bool isLoopbackHost(QByteArrayView host, quint16 port);
    // The response bytes for a status line and a JSON body.
    static QByteArray httpResponse(const QByteArray& statusLine, const QJsonObject& json);
};
