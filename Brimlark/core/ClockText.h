#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

// Times of day and dates as the panel shows them: in the locale's short forms, but never with
// seconds (the C locale's short time is "HH:mm:ss"), and a date alone for a value that has no
// time of day.
namespace ClockText {

// `format`, a locale's time format, without its seconds and fractions and what separates them
// from the minutes ("HH:mm:ss" becomes "HH:mm", "h:mm:ss AP" becomes "h:mm AP").
QString withoutSeconds(const QString& format);

// The hours and minutes of `time`.
QString time(const QTime& time, const QLocale& locale = QLocale());
// `date` in the locale's short date form.
QString date(const QDate& date, const QLocale& locale = QLocale());
// The local date and time of `moment`; its date alone when `dateOnly`.
QString dateTime(const QDateTime& moment, bool dateOnly, const QLocale& locale = QLocale());

} // namespace ClockText
