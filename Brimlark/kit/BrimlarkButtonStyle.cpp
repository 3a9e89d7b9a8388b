#include "Brimlark/kit/BrimlarkButtonStyle.h"

#include "Brimlark/kit/BrimlarkPressEffect.h"

#include <QAbstractButton>

#include <algorithm>

namespace {

constexpr qreal pressedBrightness = -0.02;
constexpr qreal pressedSaturation = 0.95;

qreal mix(qreal rest, qreal pressed, qreal progress) {
    return rest + (pressed - rest) * progress;
}

} // namespace

BrimlarkButtonStyle::BrimlarkButtonStyle(qreal pressScale, qreal pressOpacity)
    : m_pressScale(pressScale), m_pressOpacity(pressOpacity) {}

BrimlarkButtonStyle::Look BrimlarkButtonStyle::look(qreal pressProgress) const {
    return {mix(1.0, m_pressScale, pressProgress),
            std::clamp(mix(1.0, m_pressOpacity, pressProgress), 0.0, 1.0),
            mix(0.0, pressedBrightness, pressProgress), mix(1.0, pressedSaturation, pressProgress)};
}

BrimlarkPressEffect* BrimlarkButtonStyle::apply(QAbstractButton* button) const {
    auto* effect = new BrimlarkPressEffect(*this, button);
    button->setGraphicsEffect(effect);
    return effect;
}
