#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>

#include <optional>

// Turns any JSON object into a HookEvent and never fails: each field has a list of aliases, an
// inference rule or a default. Pure functions apart from `now`, which stands in for an object
// that carries no usable time; safe on any thread.
class LooseEventMapping {
public:
    // The event mapped from `object`. `now` becomes the timestamp when the object has no usable
    // time; the derived id then hashes an empty text in place of the seconds, so the same object
    // keeps its id from one mapping to the next.
    static HookEvent eventFromDictionary(const QJsonObject& object, const QDateTime& now);

    // A value's usable text: a text trimmed of surrounding whitespace (nothing when that leaves
    // nothing), a number's decimal text (true as 1, false as 0); nothing for null, arrays, objects.
    static std::optional<QString> stringValue(const QJsonValue& value);
    // The tool that sent the object, from its naming members, then its folder, then its event.
    static HookEvent::Source inferSource(const QJsonObject& object);
    // The status from the raw status word, else from the event name.
    static HookEvent::Status inferStatus(const std::optional<QString>& rawStatus,
                                         const std::optional<QString>& eventName);
    // The object's own "title", else one made from the status, the event name and the tool.
    static QString makeTitle(const QJsonObject& object, const std::optional<QString>& rawStatus,
                             const std::optional<QString>& eventName, const std::optional<QString>& toolName,
                             HookEvent::Source source);
    // An ISO 8601 text (a fraction of a second allowed), or seconds or milliseconds since 1970 as
    // a number or a numeric text. Nothing for anything else, for zero or less, and past year 9999.
    static std::optional<QDateTime> parseDate(const QJsonValue& value);
    // The approve or deny action from the flat keys, else from the "actions" member.
    static std::optional<HookEvent::Action> parseAction(HookEvent::Action::Kind kind,
                                                        const QJsonObject& object);
    // The first of `keys` whose value has usable text; an unusable value moves on to the next key.
    static std::optional<QString> firstString(const QJsonObject& object, const QStringList& keys);
    // The first of `keys` whose usable text the URL parser accepts (absolute or relative).
    static std::optional<QUrl> firstURL(const QJsonObject& object, const QStringList& keys);
    // The seconds since 1970 in the shortest decimal text that reads back to the same number,
    // with ".0" for whole seconds: the form the derived ids hash.
    static QString secondsText(const QDateTime& instant);
};
