// libFuzzer target: any bytes as a request body or inbox file, through the event decoder and
// the loose mapping.
#include "fuzz/HookFuzzChecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!HookFuzzChecks::checkLoose(bytes))
        __builtin_trap();
    return 0;
}
