#include "Brimlark/surface/NotchTapCatcher.h"

#include <QMouseEvent>

NotchTapCatcher::NotchTapCatcher(std::function<void()> onTap, QWidget* parent)
    : QWidget(parent), m_onTap(std::move(onTap)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
}

void NotchTapCatcher::setCatching(bool catching) {
    setAttribute(Qt::WA_TransparentForMouseEvents, !catching);
    if (!catching)
        m_pressed = false;
}

void NotchTapCatcher::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void NotchTapCatcher::mouseReleaseEvent(QMouseEvent* event) {
    const bool tapped =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (tapped && m_onTap)
        m_onTap();
}
