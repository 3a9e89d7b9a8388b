#include "Brimlark/core/ClockText.h"

namespace ClockText {

QString withoutSeconds(const QString& format) {
    QString out;
    out.reserve(format.size());
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            out.append(c);
            continue;
        }
        if (quoted || (c != u's' && c != u'z')) {
            out.append(c);
            continue;
        }
        // A run of seconds or fractions goes with the separator before it (":" or "." and the
        // like), back to the field it follows.
        while (i + 1 < format.size() && format.at(i + 1) == c)
            ++i;
        while (!out.isEmpty() && !out.back().isLetter() && out.back() != u'\'')
            out.chop(1);
    }
    return out;
}

QString time(const QTime& time, const QLocale& locale) {
    return locale.toString(time, withoutSeconds(locale.timeFormat(QLocale::ShortFormat)));
}

QString date(const QDate& date, const QLocale& locale) {
    return locale.toString(date, QLocale::ShortFormat);
}

QString dateTime(const QDateTime& moment, bool dateOnly, const QLocale& locale) {
    const QDateTime local = moment.toLocalTime();
    if (dateOnly)
        return date(local.date(), locale);
    return date(local.date(), locale) + QLatin1Char(' ') + time(local.time(), locale);
}

} // namespace ClockText
