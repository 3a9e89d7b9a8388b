#include "platform/linux/calendar/FileSlices.h"

#include <algorithm>

namespace FileSlices {

void read(QFile& file, QByteArray& bytes) {
    constexpr qint64 slice = 512 * 1024;
    bytes.resize(0);
    bytes.reserve(qsizetype(std::max<qint64>(file.size(), 0) + 1));
    while (true) {
        const qsizetype at = bytes.size();
        // A file that grew while read gets room a slice at a time.
        if (bytes.capacity() <= at)
            bytes.reserve(at + qsizetype(slice));
        const qint64 want = std::min<qint64>(slice, bytes.capacity() - at);
        bytes.resize(at + qsizetype(want));
        const qint64 got = file.read(bytes.data() + at, want);
        bytes.resize(at + qsizetype(std::max<qint64>(got, 0)));
        if (got <= 0)
            return;
    }
}

QByteArray read(QFile& file) {
    QByteArray bytes;
    read(file, bytes);
    return bytes;
}

} // namespace FileSlices
