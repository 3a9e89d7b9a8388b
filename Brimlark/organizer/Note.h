#pragma once

#include <QDateTime>
#include <QHashFunctions>
#include <QMetaType>
#include <QString>
#include <QUuid>

// One note: its fixed id, its text and when the text last changed (or the note was made).
struct Note {
    QUuid id;
    QString body;
    QDateTime updatedAt;

    bool operator==(const Note& other) const {
        return id == other.id && body == other.body && updatedAt == other.updatedAt;
    }
    bool operator!=(const Note& other) const { return !(*this == other); }
};

// Combines id, body and updatedAt, in that order.
size_t qHash(const Note& note, size_t seed = 0) noexcept;

Q_DECLARE_METATYPE(Note)
