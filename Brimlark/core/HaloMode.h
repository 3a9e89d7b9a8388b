#pragma once

#include <QObject>

namespace HaloModes {
Q_NAMESPACE

// The glow setting: no glow, a brief glow per event, a glow that stays until dismissed, or an
// always-on cycling glow. Raw values are the case names.
enum class HaloMode { off, oneShot, persistent, ambient };
Q_ENUM_NS(HaloMode)

} // namespace HaloModes

using HaloMode = HaloModes::HaloMode;
