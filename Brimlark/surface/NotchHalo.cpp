#include "Brimlark/surface/NotchHalo.h"

#include "Brimlark/kit/BrimlarkAnimation.h"
#include "platform/Accessibility.h"

#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {

QEasingCurve easeOut() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.0, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

QColor blend(const QColor& from, const QColor& to, double t) {
    auto mix = [t](float a, float b) { return static_cast<float>(a + (b - a) * t); };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()), mix(from.alphaF(), to.alphaF()));
}

// The outline sits on the panel's own rim: the line, centred on it, stays just inside the panel's
// window, where it can be seen; the window clips anything drawn beyond its edge.
constexpr qreal outlineInset = NotchHalo::lineWidth;
// The strip along the screen's top edge carries no line: the panel hangs from there.
constexpr qreal topStrip = NotchHalo::lineWidth + 0.25;

// One leg of the persistent glow's breath, and the ambient colour's blend from one phase to the next.
constexpr double breathSeconds = 1.2;
constexpr double blendSeconds = 0.4;
// The time between two frames of the breath and the drift: about 30 a second, smooth enough for a
// thin line whose opacity or colour changes slowly.
constexpr int frameIntervalMs = 34;

} // namespace

NotchHalo::NotchHalo(Accessibility* accessibility, std::function<bool()> hasPhysicalNotch, QWidget* parent)
    : QWidget(parent), m_accessibility(accessibility), m_hasPhysicalNotch(std::move(hasPhysicalNotch)),
      m_oneShotAnimation(new QVariantAnimation(this)), m_fadeOutTimer(new QTimer(this)),
      m_frameTimer(new QTimer(this)), m_easeInOut(BrimlarkAnimation::easeInOut(breathSeconds).easingCurve()) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);

    connect(m_oneShotAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_oneShotProgress = value.toDouble();
        update(lineStrip());
    });
    m_fadeOutTimer->setSingleShot(true);
    connect(m_fadeOutTimer, &QTimer::timeout, this, [this] {
        if (reduceMotion())
            animate(m_oneShotAnimation, 0.0, 400, easeOut());
        else
            animate(m_oneShotAnimation, 0.0, 800, easeOut());
    });

    m_frameTimer->setInterval(frameIntervalMs);
    connect(m_frameTimer, &QTimer::timeout, this, &NotchHalo::stepFrame);
}

bool NotchHalo::reduceMotion() const {
    return m_accessibility && m_accessibility->reduceMotion();
}

QColor NotchHalo::ambientColor(double phase) {
    const double p = std::clamp(phase, 0.0, 1.0);
    const double t = (p < 0.5 ? p : 1.0 - p) * 2.0;
    QColor color =
        QColor::fromRgbF(static_cast<float>(1.0 - t), static_cast<float>(0.5411764706 + 0.4196078431 * t),
                         static_cast<float>(t), 1.0f);
    color.setAlphaF(0.55f);
    return color;
}

NotchShape NotchHalo::outline(bool hasPhysicalNotch) {
    return NotchShape{28, 24, hasPhysicalNotch, outlineInset};
}

void NotchHalo::stopAnimations() {
    m_oneShotAnimation->stop();
    m_fadeOutTimer->stop();
    m_frameTimer->stop();
}

void NotchHalo::startFrames() {
    m_motionStart.start();
    if (!m_frameTimer->isActive())
        m_frameTimer->start();
}

void NotchHalo::stepFrame() {
    const double elapsed = static_cast<double>(m_motionStart.elapsed()) / 1000.0;
    if (m_active && m_active->kind == ActiveHalo::Kind::persistent) {
        // Breathes for as long as the persistent glow stays: each leg eases in and out and the
        // next one runs the other way.
        const double legs = elapsed / breathSeconds;
        const double progress = legs - std::floor(legs);
        const bool rising = static_cast<long long>(legs) % 2 == 0;
        m_pulse = m_easeInOut.valueForProgress(rising ? progress : 1.0 - progress);
    } else if (m_active && m_active->kind == ActiveHalo::Kind::ambient) {
        const double progress = std::min(elapsed / blendSeconds, 1.0);
        m_ambientBlend = m_easeInOut.valueForProgress(progress);
        if (progress >= 1.0)
            m_frameTimer->stop();
    } else {
        m_frameTimer->stop();
        return;
    }
    // Only the line changes from frame to frame: the panel under the rest of the view is left alone.
    update(lineStrip());
}

QRegion NotchHalo::lineStrip() const {
    const bool notched = m_hasPhysicalNotch && m_hasPhysicalNotch();
    const NotchShape shape = outline(notched);
    const QRectF bounds = shape.path(rect()).boundingRect();
    // Half the line, its antialiased edge and a pixel of rounding on either side of the outline.
    const qreal margin = lineWidth / 2.0 + 2.0;
    const QRect outer = bounds.adjusted(-margin, -margin, margin, margin).toAlignedRect();
    // Inside the outline the line runs along the sides and the bottom; the curves of the corners
    // stay within a radius of them.
    const qreal top = notched ? shape.topInset : 0.0;
    const qreal side = std::max(shape.bottomRadius, top) + margin;
    const QRectF middle = bounds.adjusted(side, -margin, -side, -margin);
    const QRectF body =
        bounds.adjusted(margin + top, margin + top, -(margin + top), -(shape.bottomRadius + margin));
    QRegion strip(outer);
    if (middle.isValid())
        strip -= QRegion(middle.toRect());
    if (body.isValid())
        strip -= QRegion(body.toRect());
    return strip & rect();
}

void NotchHalo::animate(QVariantAnimation* animation, double to, int durationMs, const QEasingCurve& curve) {
    animation->stop();
    animation->setStartValue(animation == m_oneShotAnimation ? m_oneShotProgress : 0.0);
    animation->setEndValue(to);
    animation->setDuration(durationMs);
    animation->setEasingCurve(curve);
    animation->start();
}

void NotchHalo::setActive(const std::optional<ActiveHalo>& active) {
    const bool fresh = active && (!m_active || m_active->id != active->id);
    m_active = active;
    if (!active) {
        stopAnimations();
        update(lineStrip());
        return;
    }
    if (!fresh) {
        update(lineStrip());
        return;
    }
    stopAnimations();
    switch (active->kind) {
    case ActiveHalo::Kind::oneShot:
        startOneShot();
        break;
    case ActiveHalo::Kind::persistent:
        startPersistent();
        break;
    case ActiveHalo::Kind::ambient:
        m_ambientFrom = m_ambientTo = ambientColor(m_ambientPhase);
        m_ambientBlend = 1.0;
        break;
    }
    update(lineStrip());
}

void NotchHalo::startOneShot() {
    m_oneShotProgress = 0.0;
    if (reduceMotion()) {
        animate(m_oneShotAnimation, 1.0, 300, easeOut());
    } else {
        const BrimlarkAnimation spring = BrimlarkAnimation::spring(0.4, 0.7);
        animate(m_oneShotAnimation, 1.0, spring.durationMs(), spring.easingCurve());
    }
    m_fadeOutTimer->start(600);
}

void NotchHalo::startPersistent() {
    if (reduceMotion()) {
        m_pulse = 1.0;
        return;
    }
    m_pulse = 0.0;
    startFrames();
}

void NotchHalo::setAmbientPhase(double phase) {
    if (phase == m_ambientPhase)
        return;
    m_ambientPhase = phase;
    // The phase steps for the life of the program; only an ambient glow on show redraws for it.
    if (!m_active || m_active->kind != ActiveHalo::Kind::ambient)
        return;
    m_ambientFrom = blend(m_ambientFrom, m_ambientTo, m_ambientBlend);
    m_ambientTo = ambientColor(phase);
    if (reduceMotion()) {
        m_ambientBlend = 1.0;
        update(lineStrip());
        return;
    }
    // The blend starts where the line is, so nothing changes on screen until the next frame.
    m_ambientBlend = 0.0;
    startFrames();
}

QColor NotchHalo::lineColor() const {
    if (!m_active)
        return {};
    QColor color;
    switch (m_active->kind) {
    case ActiveHalo::Kind::oneShot:
        color = m_active->color;
        color.setAlphaF(m_active->color.alphaF() * 0.95f);
        break;
    case ActiveHalo::Kind::persistent:
        color = m_active->color;
        color.setAlphaF(m_active->color.alphaF() * static_cast<float>(0.6 + 0.2 * m_pulse));
        break;
    case ActiveHalo::Kind::ambient:
        color = blend(m_ambientFrom, m_ambientTo, m_ambientBlend);
        break;
    }
    return color;
}

qreal NotchHalo::lineOpacity() const {
    if (!m_active)
        return 0.0;
    // A spring swings a little past full; opacity stops at 1.
    if (m_active->kind == ActiveHalo::Kind::oneShot)
        return std::clamp(m_oneShotProgress, 0.0, 1.0);
    return 1.0;
}

void NotchHalo::paintEvent(QPaintEvent*) {
    const qreal opacity = lineOpacity();
    if (opacity <= 0.0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity);
    const QRectF bounds = rect();
    painter.setClipRect(bounds.adjusted(0, topStrip, 0, 0));
    QPen pen(lineColor(), lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const bool notched = m_hasPhysicalNotch && m_hasPhysicalNotch();
    painter.drawPath(outline(notched).path(bounds));
}
