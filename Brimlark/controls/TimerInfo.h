#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QUuid>

// The running countdown: a fresh id per start, its length and the moment it ends.
struct TimerInfo {
    QUuid id;
    double total = 0;
    QDateTime endsAt;

    bool operator==(const TimerInfo& other) const {
        return id == other.id && total == other.total && endsAt == other.endsAt;
    }
    bool operator!=(const TimerInfo& other) const { return !(*this == other); }
};

Q_DECLARE_METATYPE(TimerInfo)
