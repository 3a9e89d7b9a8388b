#include "Brimlark/aihooks/events/HookEventDecoder.h"

#include "Brimlark/aihooks/events/LooseEventMapping.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

// The one JSON value of `body`; top-level numbers, texts, Booleans and null are accepted too.
std::optional<QJsonValue> parseValue(const QByteArray& body, QString& error) {
    // The document parser takes only objects and arrays at the top, so the body is read as the
    // single element of an array around it.
    QByteArray wrapped;
    wrapped.reserve(body.size() + 2);
    wrapped.append('[').append(body).append(']');
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const int offset = qBound(0, parseError.offset - 1, int(body.size()));
        error = QStringLiteral("json parse error: %1 at offset %2").arg(parseError.errorString()).arg(offset);
        return std::nullopt;
    }
    const QJsonArray array = document.array();
    if (array.size() != 1) {
        error = array.isEmpty() ? QStringLiteral("json parse error: no value")
                                : QStringLiteral("json parse error: more than one value");
        return std::nullopt;
    }
    return array.first();
}

bool allObjects(const QJsonArray& array) {
    for (const QJsonValue& element : array)
        if (!element.isObject())
            return false;
    return true;
}

QJsonObject merged(QJsonObject outer, const QJsonObject& inner) {
    outer.remove(QLatin1String("event"));
    outer.remove(QLatin1String("events"));
    outer.remove(QLatin1String("payload"));
    for (auto it = inner.constBegin(); it != inner.constEnd(); ++it)
        outer.insert(it.key(), it.value());
    return outer;
}

} // namespace

HookEventDecoder::Result HookEventDecoder::decode(const QByteArray& body, const QDateTime& now) {
    Result result;
    const std::optional<QJsonValue> value = parseValue(body, result.error);
    if (!value)
        return result;

    // The strict forms first: one event, then a list of events.
    if (value->isObject()) {
        if (std::optional<HookEvent> event = HookEvent::fromJson(*value)) {
            result.ok = true;
            result.events.append(*event);
            return result;
        }
    } else if (value->isArray()) {
        const QJsonArray array = value->toArray();
        QList<HookEvent> events;
        events.reserve(array.size());
        for (const QJsonValue& element : array) {
            std::optional<HookEvent> event = HookEvent::fromJson(element);
            if (!event)
                break;
            events.append(*event);
        }
        if (events.size() == array.size()) {
            result.ok = true;
            result.events = events;
            return result;
        }
    }

    if (value->isObject()) {
        const QJsonObject object = value->toObject();
        const QJsonValue event = object.value(QLatin1String("event"));
        const QJsonValue payload = object.value(QLatin1String("payload"));
        const QJsonValue events = object.value(QLatin1String("events"));
        result.ok = true;
        if (event.isObject()) {
            result.events.append(
                LooseEventMapping::eventFromDictionary(merged(object, event.toObject()), now));
        } else if (payload.isObject()) {
            result.events.append(
                LooseEventMapping::eventFromDictionary(merged(object, payload.toObject()), now));
        } else if (events.isArray() && allObjects(events.toArray())) {
            for (const QJsonValue& element : events.toArray())
                result.events.append(
                    LooseEventMapping::eventFromDictionary(merged(object, element.toObject()), now));
        } else {
            result.events.append(LooseEventMapping::eventFromDictionary(object, now));
        }
        return result;
    }
    if (value->isArray() && allObjects(value->toArray())) {
        result.ok = true;
        for (const QJsonValue& element : value->toArray())
            result.events.append(LooseEventMapping::eventFromDictionary(element.toObject(), now));
        return result;
    }
    result.error = QStringLiteral("the data is not an event, a list of events or an object");
    return result;
}
