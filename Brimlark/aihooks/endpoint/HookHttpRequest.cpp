#include "Brimlark/aihooks/endpoint/HookHttpRequest.h"

namespace {

constexpr QByteArrayView crlf("\r\n");
constexpr QByteArrayView blankLine("\r\n\r\n");

QByteArrayView trimmedSpaces(QByteArrayView text) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

bool equalsIgnoringCase(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// Calls `visit(name, value)` for each header line of `head` until it returns false.
template <typename Visit> void forEachHeader(QByteArrayView head, Visit visit) {
    qsizetype lineStart = head.indexOf(crlf);
    if (lineStart < 0)
        return;
    lineStart += crlf.size();
    while (lineStart < head.size()) {
        qsizetype lineEnd = head.indexOf(crlf, lineStart);
        if (lineEnd < 0)
            lineEnd = head.size();
        const QByteArrayView line = head.sliced(lineStart, lineEnd - lineStart);
        const qsizetype colon = line.indexOf(':');
        if (colon >= 0 && !visit(trimmedSpaces(line.first(colon)), trimmedSpaces(line.sliced(colon + 1))))
            return;
        lineStart = lineEnd + crlf.size();
    }
}

} // namespace

std::optional<qsizetype> HookHttpRequest::headEnd(QByteArrayView received) {
    const qsizetype index = received.indexOf(blankLine);
    if (index < 0)
        return std::nullopt;
    return index;
}

bool HookHttpRequest::hasHeader(QByteArrayView head, QByteArrayView name) {
    bool found = false;
    forEachHeader(head, [&](QByteArrayView headerName, QByteArrayView) {
        found = equalsIgnoringCase(headerName, name);
        return !found;
    });
    return found;
}

QList<QByteArrayView> HookHttpRequest::headerValues(QByteArrayView head, QByteArrayView name) {
    QList<QByteArrayView> values;
    forEachHeader(head, [&](QByteArrayView headerName, QByteArrayView value) {
        if (equalsIgnoringCase(headerName, name))
            values.append(value);
        return true;
    });
    return values;
}

bool HookHttpRequest::expectsContinue(QByteArrayView received) {
    const std::optional<qsizetype> end = headEnd(received);
    if (!end)
        return false;
    bool expects = false;
    forEachHeader(received.first(*end), [&](QByteArrayView name, QByteArrayView value) {
        expects = equalsIgnoringCase(name, "expect") && equalsIgnoringCase(value, "100-continue");
        return !expects;
    });
    return expects;
}

QByteArray HookHttpRequest::interimResponse(QByteArrayView received) {
    if (!expectsContinue(received))
        return QByteArray();
    return QByteArrayLiteral("HTTP/1.1 100 Continue\r\n\r\n");
}

LoopbackListener::Protocol HookHttpRequest::protocol() {
    LoopbackListener::Protocol protocol;
    protocol.maxRequestBytes = maxBytes;
    protocol.assess = &HookHttpRequest::assess;
    protocol.requestLength = &HookHttpRequest::requestLength;
    protocol.interimResponse = &HookHttpRequest::interimResponse;
    return protocol;
}

HookHttpRequest::Framing HookHttpRequest::assess(QByteArrayView received) {
    const std::optional<qsizetype> end = headEnd(received);
    if (!end)
        return received.size() >= maxBytes ? Framing::tooLarge : Framing::incomplete;
    const Head head = readHead(received.first(*end));
    const qsizetype headBytes = *end + blankLine.size();
    if (head.transferEncoding)
        return Framing::unsupportedEncoding;
    if (head.lengthHeaders > 1 || !head.validLength)
        return Framing::malformedLength;
    // Without a length the body ends with the head; bytes after it would be a body of no length.
    if (head.lengthHeaders == 0)
        return received.size() > headBytes ? Framing::lengthRequired : Framing::complete;
    if (headBytes + head.length > maxBytes)
        return Framing::tooLarge;
    return received.size() >= headBytes + head.length ? Framing::complete : Framing::incomplete;
}

qsizetype HookHttpRequest::requestLength(QByteArrayView received) {
    const std::optional<qsizetype> end = headEnd(received);
    if (!end)
        return received.size();
    const Head head = readHead(received.first(*end));
    const qsizetype headBytes = *end + blankLine.size();
    const qint64 body = head.lengthHeaders == 1 && head.validLength ? head.length : 0;
    return qsizetype(qMin<qint64>(received.size(), headBytes + body));
}

HookHttpRequest::Head HookHttpRequest::readHead(QByteArrayView head) {
    Head result;
    forEachHeader(head, [&](QByteArrayView name, QByteArrayView value) {
        if (equalsIgnoringCase(name, "transfer-encoding")) {
            result.transferEncoding = true;
            return true;
        }
        if (!equalsIgnoringCase(name, "content-length"))
            return true;
        ++result.lengthHeaders;
        if (value.isEmpty())
            result.validLength = false;
        qint64 length = 0;
        for (const char c : value) {
            if (c < '0' || c > '9') {
                result.validLength = false;
                break;
            }
            // Saturates: any length past the limit is simply too large.
            length = qMin<qint64>(length * 10 + (c - '0'), qint64(maxBytes) + 1);
        }
        result.length = length;
        return true;
    });
    return result;
}
