#pragma once

#include "Brimlark/aihooks/events/HookEventAction.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// One event reported by an AI coding tool's hook, or by any other local client. A plain value:
// copied freely, compared and hashed field by field, identified by `id`.
//
// Its strict JSON form names each member explicitly ("event" for the event name, "tool" for the
// tool name, the other fields in snake case); "id", "source", "status" and "timestamp" are
// required, ids are 36-character UUID texts in either letter case, and dates are ISO 8601 with
// whole seconds and a zone designator. Any other JSON object becomes an event through
// LooseEventMapping.
struct HookEvent {
    Q_GADGET
public:
    // The tool that reported the event. Raw texts are the case names.
    enum class Source { claude, codex, other };
    Q_ENUM(Source)
    // The tool's state as of this event: waiting for the user, busy, a step ended, or a failure.
    enum class Status { idle, asking, working, finished, error };
    Q_ENUM(Status)

    // What "approve" or "deny" runs.
    using Action = HookEventAction;

    QUuid id;
    Source source = Source::other;
    Status status = Status::working;
    std::optional<QString> title;
    std::optional<QString> detail;
    QDateTime timestamp;
    std::optional<QString> sessionID;
    std::optional<QString> eventName;
    std::optional<QString> toolName;
    std::optional<QString> toolUseID;
    std::optional<QString> cwd;
    std::optional<QString> message;
    std::optional<QString> notificationType;
    std::optional<QString> appName;
    std::optional<QString> rawStatus;
    std::optional<Action> approveAction;
    std::optional<Action> denyAction;

    // In memory only, beside the event: the tool call's input ("tool_input") as compact JSON with
    // sorted keys, so that a question can be matched with the later report of the same call. Not
    // part of the JSON form, of equality or of the hash.
    std::optional<QByteArray> toolInput;

    // True when either action is present.
    bool hasActions() const { return approveAction.has_value() || denyAction.has_value(); }

    friend bool operator==(const HookEvent& a, const HookEvent& b);
    friend bool operator!=(const HookEvent& a, const HookEvent& b) { return !(a == b); }

    // Strict decoding of one event; no partial event is ever produced. Members not in the form
    // are ignored. On failure returns nothing and, when `error` is given, says why.
    static std::optional<HookEvent> fromJson(const QJsonValue& value, QString* error = nullptr);
    // The strict form: required members always, optional ones only when present; the date in UTC.
    QJsonObject toJson() const;

    // The raw texts of the enumerations, and back (nothing for a text that is no case).
    static QString sourceText(Source source);
    static QString statusText(Status status);
    static std::optional<Source> sourceFromText(const QString& text);
    static std::optional<Status> statusFromText(const QString& text);

    // True for the 36-character 8-4-4-4-12 hexadecimal form, either letter case, nothing else.
    static bool isUuidText(QStringView text);
};

size_t qHash(const HookEvent& event, size_t seed = 0) noexcept;

Q_DECLARE_METATYPE(HookEvent)
