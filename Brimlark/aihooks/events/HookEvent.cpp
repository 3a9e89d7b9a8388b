#include "Brimlark/aihooks/events/HookEvent.h"

#include "Brimlark/aihooks/events/HookDate.h"
#include "Brimlark/aihooks/events/StrictJson.h"
#include "Brimlark/core/EnumText.h"

#include <QHashFunctions>

namespace {

using StrictJson::setError;

bool readOptionalAction(const QJsonObject& object, const QString& key, std::optional<HookEvent::Action>& out,
                        QString* error) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        out.reset();
        return true;
    }
    QString why;
    out = HookEventAction::fromJson(value, &why);
    if (!out) {
        setError(error, QStringLiteral("\"%1\": %2").arg(key, why));
        return false;
    }
    return true;
}

void writeOptional(QJsonObject& object, const QString& key, const std::optional<QString>& value) {
    if (value)
        object.insert(key, *value);
}

size_t hashOptional(size_t seed, const std::optional<QString>& value) {
    seed = qHashMulti(seed, value.has_value());
    return value ? qHashMulti(seed, *value) : seed;
}

} // namespace

bool operator==(const HookEvent& a, const HookEvent& b) {
    return a.id == b.id && a.source == b.source && a.status == b.status && a.title == b.title &&
           a.detail == b.detail && a.timestamp == b.timestamp && a.sessionID == b.sessionID &&
           a.eventName == b.eventName && a.toolName == b.toolName && a.toolUseID == b.toolUseID &&
           a.cwd == b.cwd && a.message == b.message && a.notificationType == b.notificationType &&
           a.appName == b.appName && a.rawStatus == b.rawStatus && a.approveAction == b.approveAction &&
           a.denyAction == b.denyAction;
}

std::optional<HookEvent> HookEvent::fromJson(const QJsonValue& value, QString* error) {
    if (!value.isObject()) {
        setError(error, QStringLiteral("an event is not an object"));
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    HookEvent event;

    const std::optional<QString> idText = StrictJson::requiredText(object, QStringLiteral("id"), error);
    if (!idText)
        return std::nullopt;
    if (!isUuidText(*idText)) {
        setError(error, QStringLiteral("\"id\" is not a UUID"));
        return std::nullopt;
    }
    event.id = QUuid::fromString(*idText);

    const std::optional<QString> sourceValue =
        StrictJson::requiredText(object, QStringLiteral("source"), error);
    if (!sourceValue)
        return std::nullopt;
    const std::optional<Source> source = sourceFromText(*sourceValue);
    if (!source) {
        setError(error, QStringLiteral("\"source\" is not claude, codex or other"));
        return std::nullopt;
    }
    event.source = *source;

    const std::optional<QString> statusValue =
        StrictJson::requiredText(object, QStringLiteral("status"), error);
    if (!statusValue)
        return std::nullopt;
    const std::optional<Status> status = statusFromText(*statusValue);
    if (!status) {
        setError(error, QStringLiteral("\"status\" is not a known status"));
        return std::nullopt;
    }
    event.status = *status;

    if (!StrictJson::optionalText(object, QStringLiteral("title"), event.title, error) ||
        !StrictJson::optionalText(object, QStringLiteral("detail"), event.detail, error))
        return std::nullopt;

    const std::optional<QString> timestampText =
        StrictJson::requiredText(object, QStringLiteral("timestamp"), error);
    if (!timestampText)
        return std::nullopt;
    const std::optional<QDateTime> timestamp = HookDate::parseIso8601(*timestampText);
    if (!timestamp) {
        setError(error, QStringLiteral("\"timestamp\" is not an ISO 8601 date"));
        return std::nullopt;
    }
    event.timestamp = *timestamp;

    if (!StrictJson::optionalText(object, QStringLiteral("session_id"), event.sessionID, error) ||
        !StrictJson::optionalText(object, QStringLiteral("event"), event.eventName, error) ||
        !StrictJson::optionalText(object, QStringLiteral("tool"), event.toolName, error) ||
        !StrictJson::optionalText(object, QStringLiteral("tool_use_id"), event.toolUseID, error) ||
        !StrictJson::optionalText(object, QStringLiteral("cwd"), event.cwd, error) ||
        !StrictJson::optionalText(object, QStringLiteral("message"), event.message, error) ||
        !StrictJson::optionalText(object, QStringLiteral("notification_type"), event.notificationType,
                                  error) ||
        !StrictJson::optionalText(object, QStringLiteral("app_name"), event.appName, error) ||
        !StrictJson::optionalText(object, QStringLiteral("raw_status"), event.rawStatus, error) ||
        !readOptionalAction(object, QStringLiteral("approve_action"), event.approveAction, error) ||
        !readOptionalAction(object, QStringLiteral("deny_action"), event.denyAction, error))
        return std::nullopt;
    return event;
}

QJsonObject HookEvent::toJson() const {
    QJsonObject object;
    object.insert(QStringLiteral("id"), id.toString(QUuid::WithoutBraces).toUpper());
    object.insert(QStringLiteral("source"), sourceText(source));
    object.insert(QStringLiteral("status"), statusText(status));
    writeOptional(object, QStringLiteral("title"), title);
    writeOptional(object, QStringLiteral("detail"), detail);
    object.insert(QStringLiteral("timestamp"), HookDate::iso8601(timestamp));
    writeOptional(object, QStringLiteral("session_id"), sessionID);
    writeOptional(object, QStringLiteral("event"), eventName);
    writeOptional(object, QStringLiteral("tool"), toolName);
    writeOptional(object, QStringLiteral("tool_use_id"), toolUseID);
    writeOptional(object, QStringLiteral("cwd"), cwd);
    writeOptional(object, QStringLiteral("message"), message);
    writeOptional(object, QStringLiteral("notification_type"), notificationType);
    writeOptional(object, QStringLiteral("app_name"), appName);
    writeOptional(object, QStringLiteral("raw_status"), rawStatus);
    if (approveAction)
        object.insert(QStringLiteral("approve_action"), approveAction->toJson());
    if (denyAction)
        object.insert(QStringLiteral("deny_action"), denyAction->toJson());
    return object;
}

QString HookEvent::sourceText(Source source) {
    return rawValue(source);
}

QString HookEvent::statusText(Status status) {
    return rawValue(status);
}

std::optional<HookEvent::Source> HookEvent::sourceFromText(const QString& text) {
    return enumFromRawValue<Source>(text);
}

std::optional<HookEvent::Status> HookEvent::statusFromText(const QString& text) {
    return enumFromRawValue<Status>(text);
}

bool HookEvent::isUuidText(QStringView text) {
    if (text.size() != 36)
        return false;
    for (qsizetype i = 0; i < 36; ++i) {
        const char16_t c = text[i].unicode();
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

size_t qHash(const HookEvent& event, size_t seed) noexcept {
    seed =
        qHashMulti(seed, event.id, HookEvent::sourceText(event.source), HookEvent::statusText(event.status));
    seed = hashOptional(seed, event.title);
    seed = hashOptional(seed, event.detail);
    seed = qHashMulti(seed, event.timestamp.toMSecsSinceEpoch());
    for (const std::optional<QString>* text :
         {&event.sessionID, &event.eventName, &event.toolName, &event.toolUseID, &event.cwd, &event.message,
          &event.notificationType, &event.appName, &event.rawStatus})
        seed = hashOptional(seed, *text);
    for (const std::optional<HookEvent::Action>* action : {&event.approveAction, &event.denyAction}) {
        seed = qHashMulti(seed, action->has_value());
        if (*action)
            seed = qHash(**action, seed);
    }
    return seed;
}
