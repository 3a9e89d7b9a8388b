#include "Brimlark/surface/SettingsGlowKnob.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

SettingsGlowKnob::SettingsGlowKnob(bool isOn, QWidget* parent)
    : QWidget(parent), m_isOn(isOn), m_position(isOn ? 1.0 : 0.0), m_animation(new QVariantAnimation(this)) {
    setFixedSize(58, 32);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const BrimlarkAnimation& ease = BrimlarkTheme::quickEase();
    m_animation->setDuration(ease.durationMs());
    m_animation->setEasingCurve(ease.easingCurve());
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_position = value.toReal();
        update();
    });
}

void SettingsGlowKnob::setOn(bool isOn, bool animated) {
    if (m_isOn == isOn)
        return;
    m_isOn = isOn;
    m_animation->stop();
    if (!animated) {
        m_position = isOn ? 1.0 : 0.0;
        update();
        return;
    }
    m_animation->setStartValue(m_position);
    m_animation->setEndValue(isOn ? 1.0 : 0.0);
    m_animation->start();
}

void SettingsGlowKnob::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(track, track.height() / 2, track.height() / 2);
    painter.fillPath(capsule, m_isOn ? BrimlarkTheme::warning() : BrimlarkTheme::notchBlack());
    painter.setPen(QPen(m_isOn ? BrimlarkTheme::warning() : BrimlarkTheme::stroke(), 1.0));
    painter.drawPath(capsule);

    constexpr qreal inset = 3;
    constexpr qreal knob = 26;
    const qreal x = inset + m_position * (width() - knob - 2 * inset);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_isOn ? BrimlarkTheme::black() : BrimlarkTheme::textPrimary());
    painter.drawEllipse(QRectF(x, inset, knob, knob));
}
