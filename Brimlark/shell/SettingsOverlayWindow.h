#pragma once

#include <QList>
#include <QPainterPath>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <optional>

class DesktopWindows;
class Screens;

// The settings window: no title bar, clear around its card, above ordinary windows, on every
// workspace, and moved by dragging its background. Escape puts it away as its close button does
// (hidden, not closed), unless a view in it took the key. It still takes the keyboard focus, which a
// window without a title bar would otherwise not be offered. A drag moves it by the pointer's
// distance and keeps it whole on the screen under the pointer; each showing brings it back onto a
// screen when the screens changed under it.
class SettingsOverlayWindow : public QWidget {
    Q_OBJECT
public:
    explicit SettingsOverlayWindow(const QRect& contentRect);

    // Without a compositing manager the clear margin around the card would show black: the window
    // is then cut to `outline` (in its own coordinates), and the cut follows the compositor as it
    // starts and stops. A null `desktopWindows` leaves the window uncut.
    void clipToCardWithoutCompositor(DesktopWindows* desktopWindows, const QPainterPath& outline);

    // The screens the window is kept on; none keeps it nowhere in particular.
    void setScreens(const Screens* screens) { m_screens = screens; }
    // Moves the window wholly onto a screen when it is not.
    void bringOnScreen();

    // Where a window wanting the frame `wanted` goes on `screens`: wholly inside the screen under
    // `pointer` (else the one holding most of it, else the nearest), at that screen's top left
    // when it is larger than the screen. `wanted`'s own top left without screens.
    static QPoint keptOnScreen(const QRect& wanted, const QList<QRect>& screens,
                               std::optional<QPoint> pointer = std::nullopt);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateShape();
    QList<QRect> screenFrames() const;

    struct Drag {
        QPoint pressedAt;
        QPoint startedAt;
    };

    QPointer<DesktopWindows> m_desktopWindows;
    QPainterPath m_cardOutline;
    const Screens* m_screens = nullptr;
    std::optional<Drag> m_drag;
};
