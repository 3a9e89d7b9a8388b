#include "Brimlark/settings/onboarding/OnboardingButtonStyle.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QPushButton>

namespace {

// `color` drawn at `opacity` over the window's black, as one opaque colour.
QString over(const QColor& color, qreal opacity) {
    const QColor& ground = BrimlarkTheme::notchBlack();
    const qreal alpha = color.alphaF() * opacity;
    const QColor mixed = QColor::fromRgbF(float(color.redF() * alpha + ground.redF() * (1 - alpha)),
                                          float(color.greenF() * alpha + ground.greenF() * (1 - alpha)),
                                          float(color.blueF() * alpha + ground.blueF() * (1 - alpha)));
    return mixed.name();
}

} // namespace

QString OnboardingButtonStyle::styleSheet() const {
    const QColor& fill = m_prominent ? BrimlarkTheme::warning() : BrimlarkTheme::surface();
    const QColor& rim = m_prominent ? BrimlarkTheme::warning() : BrimlarkTheme::stroke();
    const QColor& text = m_prominent ? BrimlarkTheme::black() : BrimlarkTheme::textPrimary();
    constexpr qreal pressed = 0.85;
    return QStringLiteral(
               "QPushButton { background: %1; color: %2; border: 1px solid %3; border-radius: 16px;"
               " padding: 8px 15px; }"
               " QPushButton:pressed { background: %4; color: %5; border-color: %6; }")
        .arg(over(fill, 1), over(text, 1), over(rim, 1), over(fill, pressed), over(text, pressed),
             over(rim, pressed));
}

void OnboardingButtonStyle::apply(QPushButton* button) const {
    button->setStyleSheet(styleSheet());
    button->setFont(BrimlarkTheme::monoMedium13());
    button->setCursor(Qt::PointingHandCursor);
}
