#include "Brimlark/aihooks/views/AIHooksDot.h"

#include <QPainter>

AIHooksDot::AIHooksDot(const QColor& color, int diameter, QWidget* parent) : QWidget(parent), m_color(color) {
    setFixedSize(diameter, diameter);
}

void AIHooksDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawEllipse(QRectF(rect()));
}
