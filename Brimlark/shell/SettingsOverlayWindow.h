#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QWidget>

class DesktopWindows;

// The settings window: no title bar, clear around its card, above ordinary windows, on every
// workspace, and moved by dragging its background. It still takes the keyboard focus, which a
// window without a title bar would otherwise not be offered.
class SettingsOverlayWindow : public QWidget {
    Q_OBJECT
public:
    explicit SettingsOverlayWindow(const QRect& contentRect);

    // Without a compositing manager the clear margin around the card would show black: the window
    // is then cut to `outline` (in its own coordinates), and the cut follows the compositor as it
    // starts and stops. A null `desktopWindows` leaves the window uncut.
    void clipToCardWithoutCompositor(DesktopWindows* desktopWindows, const QPainterPath& outline);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void updateShape();

    QPointer<DesktopWindows> m_desktopWindows;
    QPainterPath m_cardOutline;
};
