// libFuzzer target: any bytes as a calendar file, read, its events' texts made into strings and
// its series expanded over a week (the checks are CalendarFuzzChecks').
#include "fuzz/CalendarFuzzChecks.h"

#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("*.warning=false\n*.debug=false"));
        return true;
    }();
    (void)quiet;
    if (!CalendarFuzzChecks::check(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        __builtin_trap();
    return 0;
}
