#include "Brimlark/core/RelativeTimeFormatter.h"

#include <cstdlib>

namespace RelativeTimeFormatter {

QString string(const QDateTime& date, const QDateTime& relativeTo) {
    if (!date.isValid() || !relativeTo.isValid())
        return QString();
    const qint64 offset = date.secsTo(relativeTo);
    const qint64 seconds = std::llabs(offset);
    constexpr qint64 minute = 60;
    constexpr qint64 hour = 60 * minute;
    constexpr qint64 day = 24 * hour;
    constexpr qint64 week = 7 * day;
    constexpr qint64 month = 30 * day;
    constexpr qint64 year = 365 * day;

    qint64 count = seconds;
    QString unit = QStringLiteral("sec.");
    if (seconds >= year) {
        count = seconds / year;
        unit = QStringLiteral("yr.");
    } else if (seconds >= month) {
        count = seconds / month;
        unit = QStringLiteral("mo.");
    } else if (seconds >= week) {
        count = seconds / week;
        unit = QStringLiteral("wk.");
    } else if (seconds >= day) {
        count = seconds / day;
        unit = count == 1 ? QStringLiteral("day") : QStringLiteral("days");
    } else if (seconds >= hour) {
        count = seconds / hour;
        unit = QStringLiteral("hr.");
    } else if (seconds >= minute) {
        count = seconds / minute;
        unit = QStringLiteral("min.");
    }
    const QString amount = QString::number(count) + QLatin1Char(' ') + unit;
    return offset < 0 ? QStringLiteral("in ") + amount : amount + QStringLiteral(" ago");
}

} // namespace RelativeTimeFormatter
