#include "Brimlark/aihooks/endpoint/HookEndpoint.h"

#include "Brimlark/aihooks/events/HookEventDecoder.h"

#include <QJsonDocument>
#include <QStringDecoder>

namespace {

const QByteArray statusOk("HTTP/1.1 200 OK");
const QByteArray statusBadRequest("HTTP/1.1 400 Bad Request");
const QByteArray statusForbidden("HTTP/1.1 403 Forbidden");
const QByteArray statusNotFound("HTTP/1.1 404 Not Found");
const QByteArray statusMethodNotAllowed("HTTP/1.1 405 Method Not Allowed");
const QByteArray statusTimeout("HTTP/1.1 408 Request Timeout");
const QByteArray statusLengthRequired("HTTP/1.1 411 Length Required");
const QByteArray statusTooLarge("HTTP/1.1 413 Payload Too Large");
const QByteArray statusNotImplemented("HTTP/1.1 501 Not Implemented");

QByteArray failure(const QByteArray& statusLine, const QString& error) {
    return HookEndpoint::httpResponse(
        statusLine, QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}});
}

// A refusal: the response, its status code (from the status line) and its reason.
HookEndpoint::Reply refuse(const QByteArray& statusLine, const QString& error) {
    return {failure(statusLine, error), {}, statusLine.mid(9, 3).toInt(), error};
}

const QByteArray& okResponse() {
    static const QByteArray response =
        HookEndpoint::httpResponse(statusOk, QJsonObject{{QStringLiteral("ok"), true}});
    return response;
}

const QByteArray& healthResponse() {
    static const QByteArray response = HookEndpoint::httpResponse(
        statusOk,
        QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("service"), QStringLiteral("brimlark")}});
    return response;
}

bool isValidUtf8(const QByteArray& bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString text = decoder.decode(bytes);
            Q_UNUSED(text);
            return !decoder.hasError();
        }
    return true;
}

// The request line split at single spaces, at most twice, empty pieces dropped.
QList<QByteArrayView> requestLinePieces(QByteArrayView line) {
    QList<QByteArrayView> pieces;
    qsizetype pos = 0;
    while (pos < line.size()) {
        if (pieces.size() == 2) {
            pieces.append(line.sliced(pos));
            break;
        }
        const qsizetype space = line.indexOf(' ', pos);
        const qsizetype end = space < 0 ? line.size() : space;
        if (end > pos)
            pieces.append(line.sliced(pos, end - pos));
        pos = end + 1;
    }
    return pieces;
}

bool equalsLowerCase(QByteArrayView text, QByteArrayView lower) {
    if (text.size() != lower.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != lower[i])
            return false;
    }
    return true;
}

} // namespace

bool HookEndpoint::isLoopbackHost(QByteArrayView host, quint16 port) {
    // A page whose name was made to resolve to 127.0.0.1 still sends its own name; what the
    // bridge, curl and other local clients send is the address or localhost with the port.
    const qsizetype colon = host.lastIndexOf(':');
    const QByteArrayView name = colon < 0 ? host : host.first(colon);
    if (!equalsLowerCase(name, "127.0.0.1") && !equalsLowerCase(name, "localhost"))
        return false;
    if (colon < 0)
        return true;
    const QByteArrayView digits = host.sliced(colon + 1);
    if (digits.isEmpty() || digits.size() > 5)
        return false;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value == defaultPort || (port != 0 && value == port);
}

QByteArray HookEndpoint::httpResponse(const QByteArray& statusLine, const QJsonObject& json) {
    QByteArray body = QJsonDocument(json).toJson(QJsonDocument::Compact);
    if (body.isEmpty())
        body = QByteArrayLiteral("{\"ok\":false}");
    QByteArray response;
    response.reserve(statusLine.size() + body.size() + 64);
    response.append(statusLine)
        .append("\r\nContent-Type: application/json\r\nContent-Length: ")
        .append(QByteArray::number(body.size()))
        .append("\r\nConnection: close\r\n\r\n")
        .append(body);
    return response;
}

HookEndpoint::Reply HookEndpoint::handleRequest(const QByteArray& received, const QDateTime& now,
                                                quint16 port) {
    // Bytes after the request (a second one sent along) are no part of it.
    const QByteArray bytes = received.first(HookHttpRequest::requestLength(received));
    if (!isValidUtf8(bytes))
        return refuse(statusBadRequest, QStringLiteral("invalid utf8"));
    const std::optional<qsizetype> headEnd = HookHttpRequest::headEnd(bytes);
    if (!headEnd)
        return refuse(statusBadRequest, QStringLiteral("malformed request"));
    const QByteArrayView head = QByteArrayView(bytes).first(*headEnd);
    const qsizetype lineEnd = head.indexOf("\r\n");
    const QList<QByteArrayView> pieces = requestLinePieces(lineEnd < 0 ? head : head.first(lineEnd));
    if (pieces.size() < 2)
        return refuse(statusBadRequest, QStringLiteral("malformed request line"));
    if (HookHttpRequest::hasHeader(head, "origin"))
        return refuse(statusForbidden, QStringLiteral("cross-origin requests are not accepted"));
    for (const QByteArrayView host : HookHttpRequest::headerValues(head, "host"))
        if (!isLoopbackHost(host, port))
            return refuse(statusForbidden, QStringLiteral("requests for another host are not accepted"));

    const QByteArrayView method = pieces[0];
    const QByteArrayView path = pieces[1];
    if (method == "GET" && (path == "/" || path == "/healthz"))
        return {healthResponse(), {}, 200, {}};
    if (method != "POST")
        return refuse(statusMethodNotAllowed,
                      QStringLiteral("method %1 not supported").arg(QString::fromUtf8(method)));
    if (path != "/event" && path != "/")
        return refuse(statusNotFound, QStringLiteral("unknown path ") + QString::fromUtf8(path));

    if (!HookHttpRequest::hasHeader(head, "content-length"))
        return refuse(statusLengthRequired, QStringLiteral("content-length required"));

    const QByteArray body = bytes.sliced(*headEnd + 4);
    HookEventDecoder::Result decoded = HookEventDecoder::decode(body, now);
    if (!decoded.ok)
        return refuse(statusBadRequest, QStringLiteral("invalid event: ") + decoded.error);
    if (decoded.events.isEmpty())
        return refuse(statusBadRequest, QStringLiteral("payload did not contain any events"));
    return {okResponse(), std::move(decoded.events), 200, {}};
}

HookEndpoint::Reply HookEndpoint::answer(const QByteArray& bytes, HookHttpRequest::Framing framing,
                                         const QDateTime& now, quint16 port) {
    switch (framing) {
    case HookHttpRequest::Framing::tooLarge:
        return refuse(statusTooLarge, QStringLiteral("request too large"));
    case HookHttpRequest::Framing::malformedLength:
        return refuse(statusBadRequest, QStringLiteral("malformed request"));
    case HookHttpRequest::Framing::lengthRequired:
        return refuse(statusLengthRequired, QStringLiteral("content-length required"));
    case HookHttpRequest::Framing::unsupportedEncoding:
        return refuse(statusNotImplemented, QStringLiteral("transfer-encoding not supported"));
    case HookHttpRequest::Framing::abandoned:
        return refuse(statusTimeout, QStringLiteral("request timed out"));
    case HookHttpRequest::Framing::incomplete:
    case HookHttpRequest::Framing::complete:
        break;
    }
    return handleRequest(bytes, now, port);
}
