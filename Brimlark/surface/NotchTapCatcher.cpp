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
        m_pressed = Qt::NoButton;
}

void NotchTapCatcher::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton || event->button() == Qt::RightButton ? event->button()
                                                                                        : Qt::NoButton;
    event->accept();
}

void NotchTapCatcher::mouseReleaseEvent(QMouseEvent* event) {
    const Qt::MouseButton pressed = m_pressed;
    m_pressed = Qt::NoButton;
    event->accept();
    if (pressed != event->button() || !rect().contains(event->position().toPoint()))
        return;
    const std::function<void()>& action = pressed == Qt::RightButton ? m_onSecondaryTap : m_onTap;
    if (action)
        action();
}
