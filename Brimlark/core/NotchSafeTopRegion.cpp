#include "Brimlark/core/NotchSafeTopRegion.h"

#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace {

// Rounds edges rather than origin and size, so neighbouring rectangles neither overlap nor gap.
QRect snapped(const QRectF& rect) {
    const int left = static_cast<int>(std::lround(rect.left()));
    const int top = static_cast<int>(std::lround(rect.top()));
    const int right = static_cast<int>(std::lround(rect.right()));
    const int bottom = static_cast<int>(std::lround(rect.bottom()));
    return QRect(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
}

} // namespace

double NotchSafeTopRegion::Metrics::reservedBandHeight() const {
    return std::max(24.0, bandHeight);
}

NotchSafeTopRegion::Metrics NotchSafeTopRegion::metrics(double width, double horizontalPadding,
                                                        double spacing, double notchWidth, double notchHeight,
                                                        bool hasPhysicalNotch) {
    const double available = width - 2 * horizontalPadding;
    Metrics result;
    if (hasPhysicalNotch && available > 0) {
        // Room for the housing plus a margin, at least wide enough for a compact status, but never
        // so wide that the sides are squeezed out on a narrow panel.
        result.slotWidth = std::min(0.56 * available, std::max(notchWidth + 24, 152.0));
        result.sideWidth = std::max((available - result.slotWidth - spacing) / 2, 0.0);
        result.bandHeight = notchHeight + 6;
    } else {
        result.sideWidth = std::max((std::max(available, 0.0) - spacing) / 2, 0.0);
    }
    return result;
}

NotchSafeTopRegion::NotchSafeTopRegion(QWidget* parent) : QWidget(parent) {}

void NotchSafeTopRegion::setReserveTopBand(bool reserve) {
    m_reserveTopBand = reserve;
    contentChanged();
}

void NotchSafeTopRegion::setHorizontalPadding(double padding) {
    m_horizontalPadding = padding;
    contentChanged();
}

void NotchSafeTopRegion::setSpacing(double spacing) {
    m_spacing = spacing;
    contentChanged();
}

void NotchSafeTopRegion::setNotchWidth(double width) {
    m_notchWidth = width;
    contentChanged();
}

void NotchSafeTopRegion::setNotchHeight(double height) {
    m_notchHeight = height;
    contentChanged();
}

void NotchSafeTopRegion::setHasPhysicalNotch(bool hasNotch) {
    m_hasPhysicalNotch = hasNotch;
    contentChanged();
}

void NotchSafeTopRegion::setLeading(QWidget* widget) {
    replace(m_leading, widget);
}

void NotchSafeTopRegion::setTrailing(QWidget* widget) {
    replace(m_trailing, widget);
}

void NotchSafeTopRegion::setBottom(QWidget* widget) {
    replace(m_bottom, widget);
}

NotchSafeTopRegion::Metrics NotchSafeTopRegion::currentMetrics() const {
    return metrics(width(), m_horizontalPadding, m_spacing, m_notchWidth, m_notchHeight, m_hasPhysicalNotch);
}

QSize NotchSafeTopRegion::sizeHint() const {
    const QSize bottomHint = m_bottom ? m_bottom->sizeHint().expandedTo(QSize(0, 0)) : QSize();
    double height = topBandHeight();
    if (m_bottom)
        height += (m_reserveTopBand ? m_spacing : 0) + bottomHint.height();
    return QSize(bottomHint.width(), static_cast<int>(std::ceil(height)));
}

void NotchSafeTopRegion::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void NotchSafeTopRegion::replace(QPointer<QWidget>& slot, QWidget* widget) {
    if (slot == widget)
        return;
    delete slot.data();
    slot = widget;
    if (widget) {
        widget->setParent(this);
        widget->show();
    }
    contentChanged();
}

void NotchSafeTopRegion::contentChanged() {
    relayout();
    updateGeometry();
}

double NotchSafeTopRegion::topBandHeight() const {
    if (!m_reserveTopBand)
        return 0;
    // As tall as the side content asks, so that no line of its text is cut.
    double band = currentMetrics().reservedBandHeight();
    for (const QWidget* side : {m_leading.data(), m_trailing.data()})
        if (side)
            band = std::max(band, double(side->sizeHint().height()));
    return band;
}

void NotchSafeTopRegion::relayout() {
    const double w = width();
    const double bandHeight = topBandHeight();
    const Metrics m = currentMetrics();

    if (m_reserveTopBand) {
        const double side = m.sideWidth;
        const double leadingX = m_horizontalPadding;
        // With a notch the trailing side sits against the right padding and the gap between the
        // sides lands under the notch; without one the sides are adjacent, `spacing` apart.
        const double trailingX =
            m_hasPhysicalNotch ? w - m_horizontalPadding - side : leadingX + side + m_spacing;
        if (m_leading)
            m_leading->setGeometry(snapped(QRectF(leadingX, 0, side, bandHeight)));
        if (m_trailing)
            m_trailing->setGeometry(snapped(QRectF(trailingX, 0, side, bandHeight)));
    } else {
        // No band: the side content has nowhere to go.
        if (m_leading)
            m_leading->setGeometry(QRect());
        if (m_trailing)
            m_trailing->setGeometry(QRect());
    }

    if (m_bottom) {
        const double top = m_reserveTopBand ? bandHeight + m_spacing : 0;
        m_bottom->setGeometry(snapped(QRectF(0, top, w, std::max(height() - top, 0.0))));
    }
}
