#include "Brimlark/shell/SettingsOverlayWindow.h"

#include <QMouseEvent>
#include <QWindow>

SettingsOverlayWindow::SettingsOverlayWindow(const QRect& contentRect)
    : QWidget(nullptr,
              Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QString());
    resize(contentRect.size());
}

void SettingsOverlayWindow::mousePressEvent(QMouseEvent* event) {
    // Presses that no control took land here: the background moves the window.
    if (event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}
