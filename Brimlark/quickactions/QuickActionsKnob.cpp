#include "Brimlark/quickactions/QuickActionsKnob.h"

#include "Brimlark/kit/BrimlarkTheme.h"

namespace {

QColor blend(const QColor& off, const QColor& on, qreal t) {
    return QColor::fromRgbF(float(off.redF() + (on.redF() - off.redF()) * t),
                            float(off.greenF() + (on.greenF() - off.greenF()) * t),
                            float(off.blueF() + (on.blueF() - off.blueF()) * t),
                            float(off.alphaF() + (on.alphaF() - off.alphaF()) * t));
}

} // namespace

BrimlarkKnob::Colours QuickActionsKnob::colours(qreal position) const {
    return {blend(BrimlarkTheme::notchBlack(), BrimlarkTheme::warning(), position),
            blend(BrimlarkTheme::stroke(), BrimlarkTheme::warning(), position),
            blend(BrimlarkTheme::textPrimary(), BrimlarkTheme::black(), position)};
}
