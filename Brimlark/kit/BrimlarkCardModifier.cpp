#include "Brimlark/kit/BrimlarkCardModifier.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <vector>

namespace {

QPainterPath cardShape(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, BrimlarkCardModifier::cornerRadius, BrimlarkCardModifier::cornerRadius);
    return path;
}

QPen line(const QBrush& brush) {
    QPen pen(brush, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

// The translucent layer that stands in for a frosted material: what lies behind shows through.
QColor materialColor() {
    return QColor::fromRgbF(0.1f, 0.1f, 0.12f, 0.5f);
}

// One pass of a box blur of half-width `r` over the alpha of `image`, along rows or columns.
void boxBlur(QImage& image, int r, bool horizontal) {
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    std::vector<int> alpha(static_cast<size_t>(length));
    for (int l = 0; l < lines; ++l) {
        auto pixel = [&](int i) -> QRgb* {
            const int x = horizontal ? i : l;
            const int y = horizontal ? l : i;
            return reinterpret_cast<QRgb*>(image.scanLine(y)) + x;
        };
        for (int i = 0; i < length; ++i)
            alpha[static_cast<size_t>(i)] = qAlpha(*pixel(i));
        int sum = 0;
        for (int i = -r; i <= r; ++i)
            sum += i >= 0 && i < length ? alpha[static_cast<size_t>(i)] : 0;
        for (int i = 0; i < length; ++i) {
            const int value = sum / (2 * r + 1);
            *pixel(i) = qRgba(0, 0, 0, value);
            const int out = i - r;
            const int in = i + r + 1;
            sum -= out >= 0 ? alpha[static_cast<size_t>(out)] : 0;
            sum += in < length ? alpha[static_cast<size_t>(in)] : 0;
        }
    }
}

struct Shadow {
    QColor color;
    qreal radius;
    qreal x;
    qreal y;
};

QList<Shadow> shadowsOf(const BrimlarkCardModifier& card) {
    QList<Shadow> shadows;
    if (card.elevated) {
        const BrimlarkShadow& soft = BrimlarkTheme::shadowSoft();
        shadows.append({soft.color, soft.blurRadius, soft.x, soft.y});
    }
    if (card.accent) {
        QColor glow = *card.accent;
        glow.setAlphaF(glow.alphaF() * 0.22f);
        shadows.append({glow, 10.0, 0.0, 2.0});
    }
    return shadows;
}

} // namespace

QImage BrimlarkCardModifier::blurredCard(const QSizeF& size, qreal radius, const QColor& color) {
    // Three box passes make a near-Gaussian blur whose spread is about half the radius each way.
    const int box = std::max(1, qRound(radius / 2.0));
    const int reach = 3 * box;
    QImage mask(qCeil(size.width()) + 2 * reach, qCeil(size.height()) + 2 * reach,
                QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(cardShape(QRectF(QPointF(reach, reach), size)), Qt::black);
    }
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(mask, box, true);
        boxBlur(mask, box, false);
    }
    QPainter tint(&mask);
    tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
    tint.fillRect(mask.rect(), color);
    return mask;
}

QMarginsF BrimlarkCardModifier::shadowMargins() const {
    QMarginsF margins;
    for (const Shadow& shadow : shadowsOf(*this)) {
        const qreal reach = 3 * std::max(1, qRound(shadow.radius / 2.0));
        margins.setLeft(std::max(margins.left(), reach - shadow.x));
        margins.setRight(std::max(margins.right(), reach + shadow.x));
        margins.setTop(std::max(margins.top(), reach - shadow.y));
        margins.setBottom(std::max(margins.bottom(), reach + shadow.y));
    }
    return margins;
}

void BrimlarkCardModifier::paintShadows(QPainter& painter, const QRectF& card) const {
    for (const Shadow& shadow : shadowsOf(*this)) {
        const QImage image = blurredCard(card.size(), shadow.radius, shadow.color);
        const qreal reach = (image.width() - qCeil(card.width())) / 2.0;
        painter.drawImage(card.topLeft() + QPointF(shadow.x - reach, shadow.y - reach), image);
    }
}

void BrimlarkCardModifier::paintBackground(QPainter& painter, const QRectF& card) const {
    paintFill(painter, card);
    // The sheen brightens what lies under it; the hairline sits half a point inside the edge.
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    paintSheen(painter, card);
    painter.restore();
    paintHairline(painter, card);
}

void BrimlarkCardModifier::paintFill(QPainter& painter, const QRectF& card) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = cardShape(card);
    if (usesMaterial) {
        painter.fillPath(shape, materialColor());
        painter.fillPath(shape, BrimlarkTheme::cardShade());
        QColor fill = BrimlarkTheme::cardFill();
        fill.setAlphaF(0.28f);
        painter.fillPath(shape, fill);
    } else {
        QLinearGradient gradient(QPointF(0.5, 0.0), QPointF(0.5, 1.0));
        gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
        gradient.setColorAt(0.0, BrimlarkTheme::cardFillRaised());
        gradient.setColorAt(0.5, BrimlarkTheme::cardFill());
        gradient.setColorAt(1.0, BrimlarkTheme::surfaceSunken());
        painter.fillPath(shape, gradient);
    }
    painter.restore();
}

void BrimlarkCardModifier::paintSheen(QPainter& painter, const QRectF& card) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(line(BrimlarkTheme::cardSheen()));
    painter.drawPath(cardShape(card.adjusted(0.5, 0.5, -0.5, -0.5)));
    painter.restore();
}

void BrimlarkCardModifier::paintHairline(QPainter& painter, const QRectF& card) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor hairline = BrimlarkTheme::strokeStrong();
    hairline.setAlphaF(hairline.alphaF() * 0.5f);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(line(hairline));
    painter.drawPath(cardShape(card.adjusted(1.0, 1.0, -1.0, -1.0)));
    painter.restore();
}

void BrimlarkCardModifier::paintOutline(QPainter& painter, const QRectF& card) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor color = BrimlarkTheme::strokeStrong();
    if (accent) {
        color = *accent;
        color.setAlphaF(accent->alphaF() * 0.45f);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(line(color));
    painter.drawPath(cardShape(card.adjusted(0.5, 0.5, -0.5, -0.5)));
    painter.restore();
}
