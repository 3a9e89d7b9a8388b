#include "Brimlark/shell/SettingsOverlayWindow.h"

#include "platform/DesktopWindows.h"
#include "platform/Screens.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>
#include <cstdlib>

namespace {

// How far `point` lies outside `rect`, along both axes together; 0 inside.
int distanceOutside(const QRect& rect, const QPoint& point) {
    const int dx = std::max({rect.left() - point.x(), 0, point.x() - rect.right()});
    const int dy = std::max({rect.top() - point.y(), 0, point.y() - rect.bottom()});
    return dx + dy;
}

std::optional<QRect> screenFor(const QRect& wanted, const QList<QRect>& screens,
                               std::optional<QPoint> pointer) {
    if (screens.isEmpty())
        return std::nullopt;
    if (pointer) {
        for (const QRect& screen : screens) {
            if (screen.contains(*pointer))
                return screen;
        }
    }
    std::optional<QRect> best;
    qint64 bestArea = 0;
    for (const QRect& screen : screens) {
        const QRect shared = screen.intersected(wanted);
        const qint64 area = qint64(shared.width()) * shared.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    if (best)
        return best;
    const QPoint centre = wanted.center();
    return *std::min_element(screens.begin(), screens.end(), [&centre](const QRect& a, const QRect& b) {
        return distanceOutside(a, centre) < distanceOutside(b, centre);
    });
}

} // namespace

SettingsOverlayWindow::SettingsOverlayWindow(const QRect& contentRect)
    : QWidget(nullptr,
              Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QString());
    resize(contentRect.size());
}

QPoint SettingsOverlayWindow::keptOnScreen(const QRect& wanted, const QList<QRect>& screens,
                                           std::optional<QPoint> pointer) {
    const std::optional<QRect> screen = screenFor(wanted, screens, pointer);
    if (!screen)
        return wanted.topLeft();
    const int x = std::clamp(wanted.x(), screen->left(),
                             std::max(screen->left(), screen->right() + 1 - wanted.width()));
    const int y = std::clamp(wanted.y(), screen->top(),
                             std::max(screen->top(), screen->bottom() + 1 - wanted.height()));
    return QPoint(x, y);
}

QList<QRect> SettingsOverlayWindow::screenFrames() const {
    QList<QRect> frames;
    if (m_screens) {
        const QList<ScreenDescription> screens = m_screens->screens();
        for (const ScreenDescription& screen : screens)
            frames.append(screen.frame);
    }
    return frames;
}

void SettingsOverlayWindow::bringOnScreen() {
    const QPoint kept = keptOnScreen(geometry(), screenFrames());
    if (kept != pos())
        move(kept);
}

void SettingsOverlayWindow::mousePressEvent(QMouseEvent* event) {
    // Presses that no control took land here: the background moves the window.
    if (event->button() == Qt::LeftButton) {
        m_drag = Drag{event->globalPosition().toPoint(), pos()};
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

void SettingsOverlayWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_drag || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    // From where the drag began, not from the last step: the window manager may not have carried
    // out the last move yet when the next one comes.
    const QPoint pointer = event->globalPosition().toPoint();
    const QRect wanted(m_drag->startedAt + (pointer - m_drag->pressedAt), size());
    const QPoint kept = keptOnScreen(wanted, screenFrames(), pointer);
    if (kept != pos())
        move(kept);
    event->accept();
}

void SettingsOverlayWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (m_drag && event->button() == Qt::LeftButton) {
        m_drag.reset();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void SettingsOverlayWindow::showEvent(QShowEvent* event) {
    // Hidden, not closed: the place it had may since have gone with a screen.
    bringOnScreen();
    QWidget::showEvent(event);
}

void SettingsOverlayWindow::keyPressEvent(QKeyEvent* event) {
    // A shortcut being recorded takes Escape before it gets here: it only ends the recording.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}
