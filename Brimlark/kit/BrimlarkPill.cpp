#include "Brimlark/kit/BrimlarkPill.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

namespace {

constexpr qreal horizontalPadding = 10.0;
constexpr qreal verticalPadding = 5.0;

// Labels come from outside and may carry line breaks; a pill is always one line.
QString singleLine(QString text) {
    for (QChar& c : text) {
        if (c == QChar::LineFeed || c == QChar::CarriageReturn || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QChar::Space;
    }
    return text;
}

QPainterPath capsule(const QRectF& rect) {
    const qreal radius = std::min(rect.width(), rect.height()) / 2.0;
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// A frosted light layer; on dark surfaces it only lifts the tint a little.
QColor materialColor() {
    return QColor::fromRgbF(0.85f, 0.85f, 0.9f, 0.14f);
}

} // namespace

BrimlarkPill::BrimlarkPill(const QString& label, const QColor& color, bool filled, bool material,
                           const QFont& font, QWidget* parent)
    : QWidget(parent), m_label(label), m_color(color), m_filled(filled), m_material(material), m_font(font) {
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize BrimlarkPill::sizeHint() const {
    const QSizeF size = sizeFor(m_label, m_font);
    return {qCeil(size.width()), qCeil(size.height())};
}

QSize BrimlarkPill::minimumSizeHint() const {
    return sizeHint();
}

QSizeF BrimlarkPill::sizeFor(const QString& label, const QFont& font) {
    const QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(singleLine(label)) + 2 * horizontalPadding,
            metrics.height() + 2 * verticalPadding};
}

void BrimlarkPill::paint(QPainter& painter, const QRectF& rect, const QString& label, const QColor& color,
                         bool filled, bool material, const QFont& font) {
    if (rect.isEmpty())
        return;
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const qreal opacity = painter.opacity();

    const QPainterPath background = capsule(rect);
    painter.setOpacity(opacity * (filled ? 1.0 : 0.12));
    painter.fillPath(background, color);
    if (!filled) {
        if (material) {
            painter.setOpacity(opacity * 0.55);
            painter.fillPath(background, materialColor());
        }
        painter.setOpacity(opacity * 0.35);
        painter.fillPath(background, BrimlarkTheme::cardShade());
    }
    painter.setOpacity(opacity);

    // Centred on the whole height, so a pill squeezed below its natural height still shows the
    // label whole rather than clipped to the padded box.
    const QRectF textRect(rect.left() + horizontalPadding, rect.top(), rect.width() - 2 * horizontalPadding,
                          rect.height());
    const QString text = QFontMetricsF(font).elidedText(singleLine(label), Qt::ElideRight, textRect.width());
    painter.setFont(font);
    painter.setPen(filled ? BrimlarkTheme::black() : color);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text);

    // Strokes of one point inset by half a point stay inside the rectangle and land on whole pixels.
    const QPainterPath edge = capsule(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    QColor edgeColor = color;
    edgeColor.setAlphaF(color.alphaF() * (filled ? 0.24f : 0.48f));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(edgeColor, 1.0));
    painter.drawPath(edge);
    painter.setPen(QPen(QBrush(BrimlarkTheme::softSheen()), 1.0));
    painter.drawPath(edge);
    painter.restore();
}

void BrimlarkPill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), m_label, m_color, m_filled, m_material, m_font);
}
