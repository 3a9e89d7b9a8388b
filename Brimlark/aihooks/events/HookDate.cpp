#include "Brimlark/aihooks/events/HookDate.h"

#include <QTimeZone>

namespace {

// The value of `count` decimal digits at `pos`, or -1 when any of them is not a digit.
int digits(QStringView text, qsizetype pos, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[pos + i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

std::optional<QDateTime> HookDate::parseIso8601(QStringView text, bool allowFraction) {
    // yyyy-MM-ddTHH:mm:ss is 19 characters; the shortest zone designator ("Z") makes 20.
    if (text.size() < 20 || text.size() > 64)
        return std::nullopt;
    if (text[4] != u'-' || text[7] != u'-' || text[10] != u'T' || text[13] != u':' || text[16] != u':')
        return std::nullopt;
    const int year = digits(text, 0, 4);
    const int month = digits(text, 5, 2);
    const int day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2);
    const int minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2);
    if (year < 1 || month < 0 || day < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return std::nullopt;

    qsizetype pos = 19;
    int millisecond = 0;
    if (text[pos] == u'.') {
        if (!allowFraction)
            return std::nullopt;
        ++pos;
        const qsizetype start = pos;
        while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
            if (pos - start < 3)
                millisecond = millisecond * 10 + (text[pos].unicode() - u'0');
            ++pos;
        }
        const qsizetype count = pos - start;
        if (count == 0)
            return std::nullopt;
        for (qsizetype i = count; i < 3; ++i)
            millisecond *= 10;
    }

    int offsetSeconds = 0;
    const qsizetype rest = text.size() - pos;
    if (rest == 1 && text[pos] == u'Z') {
        offsetSeconds = 0;
    } else if (rest == 6 && (text[pos] == u'+' || text[pos] == u'-') && text[pos + 3] == u':') {
        const int offsetHours = digits(text, pos + 1, 2);
        const int offsetMinutes = digits(text, pos + 4, 2);
        if (offsetHours < 0 || offsetHours > 23 || offsetMinutes < 0 || offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = (offsetHours * 3600 + offsetMinutes * 60) * (text[pos] == u'-' ? -1 : 1);
    } else {
        return std::nullopt;
    }

    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    QDateTime instant(date, QTime(hour, minute, second, millisecond), QTimeZone::utc());
    return instant.addSecs(-offsetSeconds);
}

QString HookDate::iso8601(const QDateTime& instant) {
    return instant.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char('Z');
}
