// libFuzzer target: any bytes as a calendar file, read, its events' texts made into strings and
// its series expanded over a week.
#include "platform/linux/CalendarFile.h"

#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false\n*.debug=false"));
        return true;
    }();
    (void)quiet;
    CalendarFile::Limits limits;
    limits.perFile = std::chrono::milliseconds(2000);
    limits.stepsPerSeries = 20000;
    limits.instancesPerSeries = 500;
    limits.zoneChanges = 2000;
    const std::atomic<bool> quitting{false};
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::unique_ptr<CalendarFile> file =
        CalendarFile::read(QStringLiteral("fuzz.ics"), bytes, limits, quitting);
    for (const CalendarFile::Single& single : file->singles()) {
        for (const auto text : {CalendarFile::Fields::uid, CalendarFile::Fields::title,
                                CalendarFile::Fields::location, CalendarFile::Fields::notes})
            (void)single.fields[text];
    }
    const QDateTime from(QDate(2026, 1, 5), QTime(0, 0), Qt::UTC);
    for (const CalendarFile::Series& series : file->series()) {
        QList<CalendarFile::Occurrence> into;
        (void)series.fields[CalendarFile::Fields::title];
        file->occurrences(series, from, from.addDays(7), limits, quitting, into);
    }
    return 0;
}
