#pragma once

#include "Brimlark/kit/BrimlarkKnob.h"

// The on/off switch at the end of a quick-actions settings card. Its colours cross-fade as the
// circle slides.
class QuickActionsKnob : public BrimlarkKnob {
    Q_OBJECT
public:
    using BrimlarkKnob::BrimlarkKnob;

protected:
    Colours colours(qreal position) const override;
};
