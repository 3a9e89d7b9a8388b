#pragma once

#include "Brimlark/kit/BrimlarkKnob.h"

// The switch at the end of an on/off row of the settings window. Its colours cross-fade as the
// circle slides.
class SettingsToggleKnob : public BrimlarkKnob {
    Q_OBJECT
public:
    using BrimlarkKnob::BrimlarkKnob;

protected:
    Colours colours(qreal position) const override;
};
