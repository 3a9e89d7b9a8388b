#include "Brimlark/shelf/FileShelfOverlay.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QPainter>

FileShelfOverlay::FileShelfOverlay(FileShelfService& shelf, QWidget* parent)
    : QWidget(parent), m_shelf(shelf) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void FileShelfOverlay::setTargeted(bool targeted) {
    m_isTargeted = targeted;
    update();
}

void FileShelfOverlay::paintEvent(QPaintEvent*) {
    if (!m_isTargeted)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor outline = BrimlarkTheme::accent();
    outline.setAlphaF(0.6f);
    painter.setPen(QPen(outline, 1.5, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(8, 8, -8, -8), 14, 14);
}
