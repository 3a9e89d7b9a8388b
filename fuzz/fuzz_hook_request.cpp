// libFuzzer target: any bytes as one request to the hook endpoint.
#include "fuzz/HookFuzzChecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!HookFuzzChecks::checkRequest(bytes))
        __builtin_trap();
    return 0;
}
