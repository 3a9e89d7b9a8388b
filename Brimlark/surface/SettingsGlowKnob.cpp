#include "Brimlark/surface/SettingsGlowKnob.h"

#include "Brimlark/kit/BrimlarkTheme.h"

BrimlarkKnob::Colours SettingsGlowKnob::colours(qreal) const {
    if (isOn())
        return {BrimlarkTheme::warning(), BrimlarkTheme::warning(), BrimlarkTheme::black()};
    return {BrimlarkTheme::notchBlack(), BrimlarkTheme::stroke(), BrimlarkTheme::textPrimary()};
}
