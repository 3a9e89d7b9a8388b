#pragma once

#include <QRect>
#include <QWidget>

// The borderless window that sits over the notch: always on top, clear where the notch body does
// not paint, without shadow, on every workspace and out of the task bar. It can take the keyboard
// focus (the open panel has text fields) but never asks for it while closed, and the window
// manager cannot close it: a close request leaves it where it is.
class NotchPanel : public QWidget {
    Q_OBJECT
    // The window's opacity, animatable, with a signal for the windows that follow the panel.
    Q_PROPERTY(qreal panelOpacity READ windowOpacity WRITE setPanelOpacity NOTIFY opacityChanged)
public:
    explicit NotchPanel(const QRect& frame);

    void setPanelOpacity(qreal opacity);

    // Shows the panel in front and gives it the keyboard focus.
    void orderFrontAndFocus();
    // Shows the panel in front without taking the focus.
    void orderFrontRegardless();

signals:
    // A mouse button went down anywhere in the panel, before the view under the pointer sees it.
    void pressed(Qt::MouseButton button);
    // The panel's size changed (also in the middle of an animation).
    void resized(const QSize& size);
    // The panel moved, grew or shrank.
    void frameChanged(const QRect& frame);
    void opacityChanged(qreal opacity);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
