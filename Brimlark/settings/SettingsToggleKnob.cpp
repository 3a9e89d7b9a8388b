#include "Brimlark/settings/SettingsToggleKnob.h"

BrimlarkKnob::Colours SettingsToggleKnob::colours(qreal position) const {
    return crossFadeColours(position);
}
