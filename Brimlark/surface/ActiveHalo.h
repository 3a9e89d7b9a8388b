#pragma once

#include "Brimlark/surface/HaloSource.h"

#include <QColor>
#include <QDateTime>
#include <QMetaType>
#include <QUuid>

// The glow on show. Every glow gets a new id, so a view can tell a new glow of the same colour
// from the one it already draws.
struct ActiveHalo {
    // How long it lasts: 1.8 s, until the panel opens, or for as long as the setting says ambient.
    enum class Kind { oneShot, persistent, ambient };

    QUuid id;
    Kind kind = Kind::oneShot;
    QColor color;
    HaloSource source = HaloSource::hooks;
    QDateTime startedAt;

    bool operator==(const ActiveHalo& other) const {
        return id == other.id && kind == other.kind && color == other.color && source == other.source &&
               startedAt == other.startedAt;
    }
    bool operator!=(const ActiveHalo& other) const { return !(*this == other); }
};

Q_DECLARE_METATYPE(ActiveHalo)
