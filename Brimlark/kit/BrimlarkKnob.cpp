#include "Brimlark/kit/BrimlarkKnob.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/ColorBlend.h"

#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

BrimlarkKnob::BrimlarkKnob(bool isOn, QWidget* parent)
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

void BrimlarkKnob::setOn(bool isOn, bool animated) {
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

void BrimlarkKnob::paintEvent(QPaintEvent*) {
    constexpr qreal inset = 3;
    constexpr qreal circle = 26;
    const Colours now = colours(m_position);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(track, track.height() / 2, track.height() / 2);
    painter.fillPath(capsule, now.track);
    painter.setPen(QPen(now.rim, 1.0));
    painter.drawPath(capsule);

    const qreal x = inset + m_position * (width() - circle - 2 * inset);
    painter.setPen(Qt::NoPen);
    painter.setBrush(now.circle);
    painter.drawEllipse(QRectF(x, inset, circle, circle));
}

BrimlarkKnob::Colours BrimlarkKnob::crossFadeColours(qreal position) {
    return {ColorBlend::blend(BrimlarkTheme::notchBlack(), BrimlarkTheme::warning(), position),
            ColorBlend::blend(BrimlarkTheme::stroke(), BrimlarkTheme::warning(), position),
            ColorBlend::blend(BrimlarkTheme::textPrimary(), BrimlarkTheme::black(), position)};
}
