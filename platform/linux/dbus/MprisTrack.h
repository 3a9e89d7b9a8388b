#pragma once

#include "platform/MediaPlayers.h"

#include <QVariantMap>

#include <optional>

// The track an MPRIS player describes in the properties of its "org.mpris.MediaPlayer2.Player"
// interface (one GetAll; "Metadata" as a plain QVariantMap). Empty while the player is stopped
// or names no title. Values of an unexpected type count as missing: a title that is no text, a
// length that is no number, an artist list of something else. Lengths and positions arrive in
// microseconds and leave in seconds; an artwork address other than file:, http: or https: is
// dropped.
std::optional<MediaTrack> mprisTrack(const QVariantMap& playerProperties);
