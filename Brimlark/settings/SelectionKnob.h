#pragma once

#include "Brimlark/kit/BrimlarkKnob.h"

// The onboarding's on/off knob: display only, the row around it takes the click. Its colours
// cross-fade with the circle as it slides, as the settings' switches do.
class SelectionKnob : public BrimlarkKnob {
    Q_OBJECT
public:
    explicit SelectionKnob(bool isOn, QWidget* parent = nullptr) : BrimlarkKnob(isOn, parent) {}

protected:
    Colours colours(qreal position) const override { return crossFadeColours(position); }
};
