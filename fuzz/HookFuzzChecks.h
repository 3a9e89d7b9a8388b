#pragma once

#include "Brimlark/aihooks/endpoint/HookEndpoint.h"
#include "Brimlark/aihooks/endpoint/HookHttpRequest.h"
#include "Brimlark/aihooks/events/HookEventDecoder.h"
#include "Brimlark/aihooks/events/LooseEventMapping.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTimeZone>

#include <algorithm>
#include <optional>

// What must hold for any input of the hook endpoint's request parsing and of the loose mapping.
// The fuzz targets trap when a check fails; the corpus test replays the seeds through the same
// checks in the ordinary build.
namespace HookFuzzChecks {

inline const QDateTime& fixedNow() {
    static const QDateTime now(QDate(2026, 1, 5), QTime(9, 0), QTimeZone::utc());
    return now;
}

// The body a request announces: the bytes after its head, cut to its one Content-Length header;
// nothing when the head is incomplete or the length missing, repeated or unreadable. Read here
// on its own, line by line, so that the check does not lean on the framing it checks.
inline std::optional<QByteArray> announcedBody(const QByteArray& bytes) {
    const qsizetype headEnd = bytes.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return std::nullopt;
    // Lines end with CR LF; a bare LF is part of its line.
    QList<QByteArray> lines;
    const QByteArray head = bytes.left(headEnd);
    for (qsizetype start = 0; start <= head.size();) {
        qsizetype end = head.indexOf("\r\n", start);
        if (end < 0)
            end = head.size();
        lines.append(head.mid(start, end - start));
        start = end + 2;
    }
    // Header names and values lose the spaces and tabs around them; a length is decimal digits.
    const auto trim = [](QByteArray text) {
        while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove(0, 1);
        while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
            text.chop(1);
        return text;
    };
    std::optional<qsizetype> length;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 || trim(line.left(colon)).toLower() != "content-length")
            continue;
        const QByteArray value = trim(line.mid(colon + 1));
        if (length || value.isEmpty() ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        // Past a request's most bytes every length is alike.
        length = value.size() > 9 ? qsizetype(1) << 30 : qsizetype(value.toLongLong());
    }
    if (!length)
        return std::nullopt;
    return bytes.mid(headEnd + 4, *length);
}

// Any bytes give one well-formed response: a status line, the three headers, a Content-Length
// that is the body's length, and a JSON object body whose "ok" says whether events came; the
// events of an accepted request are those of exactly its announced body.
inline bool checkRequest(const QByteArray& bytes) {
    const HookHttpRequest::Framing framing = HookHttpRequest::assess(bytes);
    // Only a head that has arrived can ask to be told to go on.
    if (HookHttpRequest::expectsContinue(bytes) && !HookHttpRequest::headEnd(bytes))
        return false;
    const HookEndpoint::Reply reply = HookEndpoint::answer(bytes, framing, fixedNow());
    const QByteArray& response = reply.response;
    if (!response.startsWith("HTTP/1.1 "))
        return false;
    const qsizetype headEnd = response.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return false;
    const QByteArray body = response.mid(headEnd + 4);
    const QByteArray lengthHeader =
        "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
        "\r\nConnection: close\r\n\r\n";
    if (response.indexOf(lengthHeader) < 0)
        return false;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const bool ok = document.object().value(QStringLiteral("ok")).toBool();
    if (ok != response.startsWith("HTTP/1.1 200 OK"))
        return false;
    // Events come only with an accepted POST, and an accepted POST always brings some.
    const bool posted = ok && !document.object().contains(QStringLiteral("service"));
    if (posted != !reply.events.isEmpty())
        return false;
    if (!posted)
        return true;
    const std::optional<QByteArray> announced = announcedBody(bytes);
    return announced && HookEventDecoder::decode(*announced, fixedNow()).events == reply.events;
}

// Any body decodes or fails cleanly into events with an id and a time; the loose mapping of an
// object always makes a title, and mapping it twice gives the same id, whatever the time.
inline bool checkLoose(const QByteArray& bytes) {
    const HookEventDecoder::Result result = HookEventDecoder::decode(bytes, fixedNow());
    if (!result.ok && result.error.isEmpty())
        return false;
    for (const HookEvent& event : result.events)
        if (event.id.isNull() || !event.timestamp.isValid())
            return false;
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (document.isObject()) {
        const HookEvent first = LooseEventMapping::eventFromDictionary(document.object(), fixedNow());
        const HookEvent later =
            LooseEventMapping::eventFromDictionary(document.object(), fixedNow().addSecs(90));
        if (!first.title || first.id != later.id || first.title != later.title ||
            first.source != later.source || first.status != later.status ||
            first.approveAction != later.approveAction)
            return false;
    }
    return true;
}

} // namespace HookFuzzChecks
