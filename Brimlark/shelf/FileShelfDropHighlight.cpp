#include "Brimlark/shelf/FileShelfDropHighlight.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

FileShelfDropHighlight::FileShelfDropHighlight(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void FileShelfDropHighlight::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Inside the border: the stroke's outer edge meets the view's edge.
    const QRectF bounds = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath shape;
    shape.addRoundedRect(bounds, 32, 32);
    QColor tint = BrimlarkTheme::warning();
    tint.setAlphaF(0.1f);
    QColor veil = BrimlarkTheme::surface();
    veil.setAlphaF(0.55f);
    painter.fillPath(shape, veil);
    painter.fillPath(shape, tint);
    QPen dash(BrimlarkTheme::warning(), 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    dash.setMiterLimit(10);
    dash.setDashPattern({3, 2}); // 6 on, 4 off, in units of the 2-point line width
    dash.setDashOffset(0);
    painter.setPen(dash);
    painter.drawPath(shape);

    const QFont font = BrimlarkTheme::monoSemibold12();
    const QFontMetricsF metrics(font);
    const qreal symbol = 20;
    const qreal height = symbol + 6 + metrics.height();
    const qreal top = (height < bounds.height() ? (bounds.height() - height) / 2 : 0) + bounds.top();
    paintSymbol(painter, QRectF(bounds.center().x() - symbol / 2, top, symbol, symbol),
                QStringLiteral("plus.circle.fill"), BrimlarkTheme::warning());
    painter.setFont(font);
    painter.setPen(BrimlarkTheme::warning());
    painter.drawText(QRectF(bounds.left(), top + symbol + 6, bounds.width(), metrics.height()),
                     Qt::AlignCenter, QStringLiteral("drop to add to shelf"));
}
