#pragma once

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QRectF>

#include <optional>

class QPainter;

// The raised-card look: a rounded background (a translucent material or an opaque gradient) with a
// sheen and an inner hairline, an outline that takes the accent colour when there is one, a dark
// soft shadow when elevated and a glow of the accent. Views get it through brimlarkCard()
// (BrimlarkCard.h); the painting steps are here so that a view drawing its own content can use them.
struct BrimlarkCardModifier {
    static constexpr qreal cornerRadius = 20.0;

    std::optional<QColor> accent;
    // The inner margin on all four edges.
    qreal padding = 0.0;
    bool usesMaterial = false;
    bool elevated = false;

    // How far the shadows reach beyond the card on each side.
    QMarginsF shadowMargins() const;
    // The shadows of a card at `card`, drawn around (and under) it.
    void paintShadows(QPainter& painter, const QRectF& card) const;
    // The fill, the sheen and the inner hairline.
    void paintBackground(QPainter& painter, const QRectF& card) const;
    // The outline, laid over the content.
    void paintOutline(QPainter& painter, const QRectF& card) const;

    // The steps of paintBackground(), for a card that keeps its edges as images: the fill; the
    // sheen, drawn in the painter's composition mode (paintBackground() adds it to what lies
    // under); the inner hairline.
    void paintFill(QPainter& painter, const QRectF& card) const;
    void paintSheen(QPainter& painter, const QRectF& card) const;
    void paintHairline(QPainter& painter, const QRectF& card) const;

    // A rounded card of `size` in `color`, blurred by `radius` and centred in an image grown by the
    // blur's reach on every side. Shared by the shadows; exposed for tests.
    static QImage blurredCard(const QSizeF& size, qreal radius, const QColor& color);
};
