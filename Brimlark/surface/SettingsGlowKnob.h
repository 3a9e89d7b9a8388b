#pragma once

#include "Brimlark/kit/BrimlarkKnob.h"

// The on/off switch of a glow trigger row. Its colours switch with the state at once; only the
// circle slides.
class SettingsGlowKnob : public BrimlarkKnob {
    Q_OBJECT
public:
    using BrimlarkKnob::BrimlarkKnob;

protected:
    Colours colours(qreal position) const override;
};
