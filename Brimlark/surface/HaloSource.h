#pragma once

#include <QObject>

namespace HaloSources {
Q_NAMESPACE

// What raised a glow. Raw values are the case names.
enum class HaloSource { media, hooks, ambient };
Q_ENUM_NS(HaloSource)

} // namespace HaloSources

using HaloSource = HaloSources::HaloSource;
