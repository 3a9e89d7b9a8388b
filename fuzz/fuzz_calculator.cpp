// libFuzzer target: any bytes, read as UTF-8, as a line typed into the calculator.
#include "fuzz/CalculatorFuzzChecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!CalculatorFuzzChecks::check(bytes))
        __builtin_trap();
    return 0;
}
