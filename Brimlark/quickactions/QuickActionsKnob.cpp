#include "Brimlark/quickactions/QuickActionsKnob.h"

BrimlarkKnob::Colours QuickActionsKnob::colours(qreal position) const {
    return crossFadeColours(position);
}
