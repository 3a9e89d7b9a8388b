#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// The ISO 8601 internet date-and-time texts of hook events: "2025-01-31T09:30:00Z" or with an
// offset such as "+01:00". The strict event form takes whole seconds only; the loose mapping also
// takes a fraction of a second ("09:30:00.123456Z", as the bridge script writes it), kept to the
// millisecond.
class HookDate {
public:
    // The instant, or nothing when the text is not exactly of that form or names no valid date.
    static std::optional<QDateTime> parseIso8601(QStringView text, bool allowFraction = false);
    // The instant in UTC with whole seconds, a form that parseIso8601() accepts.
    static QString iso8601(const QDateTime& instant);
};
