#include "Brimlark/kit/BrimlarkPressEffect.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QAbstractButton>
#include <QImage>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>

namespace {

// Adjusts premultiplied pixels in place. Mixing towards the luma and adding a brightness offset are
// both linear, so they work on premultiplied values as long as the offset is scaled by alpha.
void adjustColours(QImage& image, qreal brightness, qreal saturation) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            if (alpha == 0)
                continue;
            const qreal luma = 0.2126 * qRed(pixel) + 0.7152 * qGreen(pixel) + 0.0722 * qBlue(pixel);
            const qreal offset = brightness * alpha;
            const auto channel = [&](int value) {
                const qreal adjusted = luma + (value - luma) * saturation + offset;
                return std::clamp(static_cast<int>(std::lround(adjusted)), 0, alpha);
            };
            line[x] = qRgba(channel(qRed(pixel)), channel(qGreen(pixel)), channel(qBlue(pixel)), alpha);
        }
    }
}

} // namespace

BrimlarkPressEffect::BrimlarkPressEffect(const BrimlarkButtonStyle& style, QAbstractButton* button)
    : QGraphicsEffect(button), m_style(style), m_animation(new QVariantAnimation(this)) {
    const BrimlarkAnimation& spring = BrimlarkTheme::pressSpring();
    m_animation->setDuration(spring.durationMs());
    m_animation->setEasingCurve(spring.easingCurve());
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { showProgress(value.toReal()); });
    connect(button, &QAbstractButton::pressed, this, [this] { animateTo(1.0); });
    connect(button, &QAbstractButton::released, this, [this] { animateTo(0.0); });
    // At rest the button draws itself: an effect inside a view that has an effect of its own (a
    // page sliding in, a fading row) is drawn by Qt with a second painter on the same device, which
    // fails with a warning and leaves the button out.
    setEnabled(false);
}

void BrimlarkPressEffect::setProgress(qreal progress) {
    m_animation->stop();
    showProgress(progress);
}

void BrimlarkPressEffect::animateTo(qreal target) {
    m_animation->stop();
    m_animation->setStartValue(m_progress);
    m_animation->setEndValue(target);
    m_animation->start();
}

void BrimlarkPressEffect::showProgress(qreal progress) {
    if (progress == m_progress)
        return;
    m_progress = progress;
    setEnabled(!qFuzzyIsNull(m_progress));
    update();
}

void BrimlarkPressEffect::draw(QPainter* painter) {
    if (qFuzzyIsNull(m_progress)) {
        drawSource(painter);
        return;
    }
    // Like Qt's own effects: a widget source in device coordinates, a pixmap source as it is.
    const Qt::CoordinateSystem system = sourceIsPixmap() ? Qt::LogicalCoordinates : Qt::DeviceCoordinates;
    QPoint offset;
    const QPixmap source = sourcePixmap(system, &offset, QGraphicsEffect::NoPad);
    if (source.isNull())
        return;
    const BrimlarkButtonStyle::Look look = m_style.look(m_progress);
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    adjustColours(image, look.brightness, look.saturation);

    const QPointF centre = QRectF(offset, QSizeF(image.size()) / image.devicePixelRatio()).center();
    painter->save();
    if (system == Qt::DeviceCoordinates)
        painter->setWorldTransform(QTransform());
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->translate(centre);
    painter->scale(look.scale, look.scale);
    painter->translate(-centre);
    painter->setOpacity(painter->opacity() * look.opacity);
    painter->drawImage(QPointF(offset), image);
    painter->restore();
}
