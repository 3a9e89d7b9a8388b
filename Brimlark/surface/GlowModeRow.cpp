#include "Brimlark/surface/GlowModeRow.h"

namespace {
BrimlarkChoiceRow::Look modeLook() {
    BrimlarkChoiceRow::Look look;
    look.markAlignment = Qt::AlignTop;
    look.markTopInset = 2;
    look.wrapTitle = true;
    look.tintWhenSelected = true;
    return look;
}
} // namespace

GlowModeRow::GlowModeRow(HaloMode mode, QWidget* parent)
    : BrimlarkChoiceRow(title(mode).toLower(), subtitle(mode), modeLook(), parent), m_mode(mode) {}

QString GlowModeRow::title(HaloMode mode) {
    switch (mode) {
    case HaloMode::off:
        return QStringLiteral("Off");
    case HaloMode::oneShot:
        return QStringLiteral("Brief glow on event");
    case HaloMode::persistent:
        return QStringLiteral("Pulse until I look");
    case HaloMode::ambient:
        break;
    }
    return QStringLiteral("Always-on ambient");
}

QString GlowModeRow::subtitle(HaloMode mode) {
    switch (mode) {
    case HaloMode::off:
        return QStringLiteral("No glow.");
    case HaloMode::oneShot:
        return QStringLiteral("Soft halo for ~1.5 s when something arrives.");
    case HaloMode::persistent:
        return QStringLiteral("Keeps pulsing around the notch until you click it.");
    case HaloMode::ambient:
        break;
    }
    return QStringLiteral("The notch glows constantly, cycling through accent colors.");
}
