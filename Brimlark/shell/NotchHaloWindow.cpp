#include "Brimlark/shell/NotchHaloWindow.h"

#include "Brimlark/surface/NotchHalo.h"
#include "platform/DesktopWindows.h"

#include <QWindow>

NotchHaloWindow::NotchHaloWindow(NotchHalo* halo, DesktopWindows* desktopWindows)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::NoDropShadowWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus),
      m_halo(halo), m_desktopWindows(desktopWindows) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_X11NetWmWindowTypeDock);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Brimlark glow"));
    m_halo->setParent(this);
    m_halo->setGeometry(rect());
    winId();
    if (m_desktopWindows) {
        m_desktopWindows->makeAccessory(windowHandle());
        m_desktopWindows->letPointerThrough(windowHandle());
        connect(m_desktopWindows, &DesktopWindows::compositorRunningChanged, this,
                &NotchHaloWindow::updateShape);
    }
    connect(m_halo, &NotchHalo::activeChanged, this, &NotchHaloWindow::updateShown);
    updateShape();
}

void NotchHaloWindow::followFrame(const QRect& panelFrame) {
    const QRect frame = NotchHalo::frameAround(panelFrame);
    if (frame != geometry())
        setGeometry(frame);
}

void NotchHaloWindow::followOpacity(qreal opacity) {
    if (!qFuzzyCompare(opacity, windowOpacity()))
        setWindowOpacity(opacity);
}

void NotchHaloWindow::followShown(bool shown) {
    m_panelShown = shown;
    updateShown();
}

void NotchHaloWindow::relayout() {
    m_halo->relayout();
    updateShape();
}

void NotchHaloWindow::updateShown() {
    const bool wanted = m_panelShown && m_halo->active().has_value() && !geometry().isEmpty();
    if (wanted == isVisible())
        return;
    if (!wanted) {
        hide();
        return;
    }
    // Cut to the line before it is mapped, so that no black frame shows for a moment.
    updateShape();
    show();
    raiseOverPanel();
}

void NotchHaloWindow::raiseOverPanel() {
    if (!isVisible())
        return;
    raise();
    emit raised();
}

void NotchHaloWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_halo->setGeometry(rect());
    updateShape();
}

void NotchHaloWindow::updateShape() {
    const bool blends = !m_desktopWindows || m_desktopWindows->compositorRunning();
    m_halo->setSoftEdges(blends);
    // A hidden window is cut when it is shown.
    if (!m_desktopWindows || !windowHandle() || (!isVisible() && !m_halo->active()))
        return;
    // Only what the window shows is cut: it takes no pointer input anywhere, and keeps taking none.
    m_desktopWindows->setShape(windowHandle(), blends ? QRegion() : m_halo->linePixels(),
                               DesktopWindows::ShapeParts::drawingOnly);
    // A window manager may rebuild its frame's shapes from a new drawing shape: the pointer is let
    // through again after it.
    m_desktopWindows->letPointerThrough(windowHandle());
}
