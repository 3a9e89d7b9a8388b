#include "Brimlark/surface/GlowTestButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

GlowTestButton::GlowTestButton(QWidget* parent) : QAbstractButton(parent) {
    setText(QStringLiteral("test glow now"));
    setAccessibleName(text());
    setFont(BrimlarkTheme::monoMedium13());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    BrimlarkButtonStyle(0.97, 0.92).apply(this);
}

QSize GlowTestButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {qCeil(metrics.horizontalAdvance(text()) + 28), qCeil(metrics.height() + 16)};
}

void GlowTestButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(edge, edge.height() / 2, edge.height() / 2);
    QColor rim = BrimlarkTheme::accent();
    rim.setAlphaF(0.55f);
    painter.setPen(QPen(rim, 1.0));
    painter.drawPath(capsule);
    painter.setFont(font());
    painter.setPen(BrimlarkTheme::accent());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
}
