#include "platform/linux/calendar/CalendarFile.h"

#include <cstring>

void CalendarFile::Fields::assign(const char* const (&texts)[4]) {
    size_t lengths[4];
    size_t total = 0;
    for (int n = 0; n < 4; ++n) {
        lengths[n] = texts[n] ? strlen(texts[n]) : 0;
        total += lengths[n];
    }
    m_text.clear();
    m_text.reserve(qsizetype(total));
    m_present = 0;
    m_strings.reset();
    for (int n = 0; n < 4; ++n) {
        if (texts[n]) {
            m_text.append(texts[n], qsizetype(lengths[n]));
            m_present |= quint8(1u << n);
        }
        m_ends[n] = int(m_text.size());
    }
}

QByteArrayView CalendarFile::Fields::view(Text which) const {
    const int begin = which == uid ? 0 : m_ends[which - 1];
    return QByteArrayView(m_text).sliced(begin, m_ends[which] - begin);
}

std::optional<QString> CalendarFile::Fields::operator[](Text which) const {
    if (!(m_present & (1u << which)))
        return std::nullopt;
    if (!m_strings) {
        auto strings = std::make_shared<std::array<QString, 4>>();
        for (int n = 0; n < 4; ++n)
            (*strings)[n] = QString::fromUtf8(view(Text(n)));
        m_strings = std::move(strings);
    }
    return (*m_strings)[which];
}

bool CalendarFile::Fields::sameUid(const Fields& other) const {
    return (m_present & 1u) == (other.m_present & 1u) && view(uid) == other.view(uid);
}

QString CalendarFile::Fields::uidOrNone() const {
    return (*this)[uid].value_or(QStringLiteral("without UID"));
}
