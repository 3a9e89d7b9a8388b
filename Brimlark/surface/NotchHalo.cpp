#include "Brimlark/surface/NotchHalo.h"

#include "Brimlark/kit/BrimlarkAnimation.h"
#include "Brimlark/surface/NotchRim.h"
#include "platform/Accessibility.h"

#include <QPaintEvent>
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

// The line's outline is the panel's own, pushed 2 points outward.
constexpr qreal outlineInset = -2.0;

// One leg of the persistent glow's breath, and the ambient colour's blend from one phase to the next.
constexpr double breathSeconds = 1.2;
constexpr double blendSeconds = 0.4;
// The time between two frames of the breath and the drift: 10 a second. The breath moves the
// line's opacity by 0.2 over 1.2 s, the drift its colour a little every 0.25 s: a frame changes
// the line by a few levels of 255 at most, which reads as smooth on a line this thin. Each frame
// costs the program several wake-ups (the timer, the X server's answer to the drawing), so a
// lasting glow draws no more often than that.
constexpr int frameIntervalMs = 100;

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
        lineChanged();
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

QRect NotchHalo::frameAround(const QRect& panelFrame) {
    return panelFrame.adjusted(-margin, 0, margin, margin);
}

QRectF NotchHalo::panelRect() const {
    return QRectF(rect()).adjusted(margin, 0, -margin, -margin);
}

bool NotchHalo::notched() const {
    return m_hasPhysicalNotch && m_hasPhysicalNotch();
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
    // Drawn now, in this wake-up, rather than on a later update request of its own.
    lineChanged(true);
}

QRegion NotchHalo::lineStrip() const {
    const NotchShape shape = outline(notched());
    const QRectF bounds = shape.path(panelRect()).boundingRect();
    // Half the line, its soft edge and a pixel of rounding on either side of the outline.
    const qreal reach = lineWidth / 2.0 + 2.0;
    const QRect outer = bounds.adjusted(-reach, -reach, reach, reach).toAlignedRect();
    // Inside the outline the line runs along the sides and the bottom; the curves of the corners
    // stay within a radius of them.
    const qreal bottom = shape.bottomRadius - shape.insetAmount;
    const qreal top = shape.hasPhysicalNotch ? shape.topInset - shape.insetAmount : 0.0;
    const qreal side = std::max(bottom, top) + reach;
    const QRectF middle = bounds.adjusted(side, -reach, -side, -reach);
    const QRectF body = bounds.adjusted(reach + top, reach + top, -(reach + top), -(bottom + reach));
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
    const bool came = active.has_value() != m_active.has_value();
    m_active = active;
    if (came)
        emit activeChanged(active.has_value());
    if (!active) {
        stopAnimations();
        lineChanged();
        return;
    }
    if (!fresh) {
        lineChanged();
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
    lineChanged();
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
        lineChanged();
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

QRgb NotchHalo::tint() const {
    const qreal opacity = lineOpacity();
    if (!m_active || opacity <= 0.0)
        return 0;
    const QColor color = lineColor();
    const int alpha = std::clamp(qRound(color.alphaF() * opacity * 255.0), 0, 255);
    return qPremultiply(qRgba(color.red(), color.green(), color.blue(), alpha));
}

void NotchHalo::lineChanged(bool now) {
    const QRgb next = tint();
    if (next == m_shownTint)
        return;
    m_shownTint = next;
    // The window system takes the strip in one rectangle best: one copy and one upload a frame.
    const QRect strip = lineStrip().boundingRect();
    if (now && isVisible())
        repaint(strip);
    else
        update(strip);
}

void NotchHalo::setSoftEdges(bool soft) {
    if (soft == m_softEdges)
        return;
    m_softEdges = soft;
    relayout();
}

void NotchHalo::relayout() {
    m_maskSize = QSize();
    update();
}

void NotchHalo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_maskSize = QSize();
}

void NotchHalo::ensureMask() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    const bool notch = notched();
    if (pixels == m_maskSize && ratio == m_maskRatio && notch == m_maskNotched && m_softEdges == m_maskSoft)
        return;
    m_maskSize = pixels;
    m_maskRatio = ratio;
    m_maskNotched = notch;
    m_maskSoft = m_softEdges;
    m_coverage.clear();
    m_frame = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_frame.setDevicePixelRatio(ratio);
    m_frame.fill(Qt::transparent);
    m_frameTint = 0;
    if (pixels.isEmpty())
        return;

    // The one costly drawing: the stroke itself, once per layout.
    QImage stroke(pixels, QImage::Format_ARGB32_Premultiplied);
    stroke.setDevicePixelRatio(ratio);
    stroke.fill(Qt::transparent);
    {
        QPainter painter(&stroke);
        painter.setRenderHint(QPainter::Antialiasing, m_softEdges);
        QPen pen(Qt::white, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(notchRim(outline(notch), panelRect()));
    }
    for (int y = 0; y < stroke.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(stroke.constScanLine(y));
        for (int x = 0; x < stroke.width(); ++x) {
            const int coverage = qAlpha(line[x]);
            if (coverage > 0)
                m_coverage.emplace_back(y * stroke.width() + x, static_cast<uchar>(coverage));
        }
    }
}

void NotchHalo::ensureFrame(QRgb tint) {
    if (tint == m_frameTint)
        return;
    m_frameTint = tint;
    auto* pixels = reinterpret_cast<QRgb*>(m_frame.bits());
    const uint red = qRed(tint), green = qGreen(tint), blue = qBlue(tint), alpha = qAlpha(tint);
    for (const auto& [offset, coverage] : m_coverage) {
        if (coverage == 255) {
            pixels[offset] = tint;
            continue;
        }
        // Premultiplied channels scale alike: the tint at this pixel's coverage.
        const auto scale = [coverage](uint channel) { return (channel * coverage + 127) / 255; };
        pixels[offset] = qRgba(int(scale(red)), int(scale(green)), int(scale(blue)), int(scale(alpha)));
    }
}

QRegion NotchHalo::linePixels() {
    ensureMask();
    QRegion region;
    if (m_maskSize.isEmpty())
        return region;
    const int width = m_maskSize.width();
    QList<QRect> runs;
    for (std::size_t i = 0; i < m_coverage.size();) {
        const int start = m_coverage[i].first;
        int end = start + 1;
        // A run of touched pixels along one row.
        while (++i < m_coverage.size() && m_coverage[i].first == end && end % width != 0)
            ++end;
        const QRect run(start % width, start / width, end - start, 1);
        if (m_maskRatio == 1.0) {
            runs.append(run);
            continue;
        }
        const QRectF logical(QPointF(run.topLeft()) / m_maskRatio, QSizeF(run.size()) / m_maskRatio);
        runs.append(logical.toAlignedRect());
    }
    if (m_maskRatio == 1.0) {
        region.setRects(runs.constData(), int(runs.size()));
        return region;
    }
    for (const QRect& run : std::as_const(runs))
        region += run;
    return region;
}

void NotchHalo::paintEvent(QPaintEvent* event) {
    const QRgb now = tint();
    m_shownTint = now;
    if (qAlpha(now) == 0)
        return;
    ensureMask();
    ensureFrame(now);
    // Rectangle by rectangle: a picture blended under a plain rectangular clip is one copy per
    // row, where a clip of many rectangles goes through the span machinery (and its thread pool).
    QPainter painter(this);
    for (const QRect& area : event->region()) {
        painter.setClipRect(area);
        painter.drawImage(QPointF(0, 0), m_frame);
    }
}
