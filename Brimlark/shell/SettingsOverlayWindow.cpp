#include "Brimlark/shell/SettingsOverlayWindow.h"

#include "platform/DesktopWindows.h"

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

void SettingsOverlayWindow::clipToCardWithoutCompositor(DesktopWindows* desktopWindows,
                                                        const QPainterPath& outline) {
    if (m_desktopWindows)
        disconnect(m_desktopWindows, nullptr, this, nullptr);
    m_desktopWindows = desktopWindows;
    m_cardOutline = outline;
    if (!desktopWindows)
        return;
    connect(desktopWindows, &DesktopWindows::compositorRunningChanged, this,
            &SettingsOverlayWindow::updateShape);
    // The cut is made on the native window, so that exists from here on.
    winId();
    updateShape();
}

void SettingsOverlayWindow::updateShape() {
    if (!m_desktopWindows || !windowHandle())
        return;
    if (m_desktopWindows->compositorRunning()) {
        m_desktopWindows->setShape(windowHandle(), QRegion());
        return;
    }
    m_desktopWindows->setShape(windowHandle(),
                               QRegion(m_cardOutline.toFillPolygon().toPolygon(), Qt::WindingFill));
}
