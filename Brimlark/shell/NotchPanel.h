#pragma once

#include <QRect>
#include <QWidget>

// The borderless window that sits over the notch: always on top, clear where the notch body does
// not paint, without shadow, on every workspace and out of the task bar. It can take the keyboard
// focus (the open panel has text fields) but only when told it may: until then neither a click
// into it (through the window manager or Qt's own press handling) nor anything else gives it the
// keyboard. The window manager cannot close it: a close request leaves it where it is.
class NotchPanel : public QWidget {
    Q_OBJECT
    // The window's opacity, animatable, with a signal for the windows that follow the panel.
    Q_PROPERTY(qreal panelOpacity READ windowOpacity WRITE setPanelOpacity NOTIFY opacityChanged)
public:
    explicit NotchPanel(const QRect& frame);

    void setPanelOpacity(qreal opacity);

    // Whether the window may hold the keyboard; it may not until told so. Without it a click into
    // the panel leaves the keyboard where it is.
    void setTakesKeyboard(bool takes);
    bool takesKeyboard() const;
    // Shows the panel in front and gives it the keyboard focus (which it then takes).
    void orderFrontAndFocus();
    // Shows the panel in front without taking the focus.
    void orderFrontRegardless();

signals:
    // A mouse button went down anywhere in the panel, before `target`, the view under the pointer
    // (none over the panel's own background), sees it.
    void pressed(QWidget* target, Qt::MouseButton button);
    // The button went up again, before the view under the pointer sees it.
    void released();
    // The panel's size changed (also in the middle of an animation).
    void resized(const QSize& size);
    // The panel moved, grew or shrank.
    void frameChanged(const QRect& frame);
    void opacityChanged(qreal opacity);
    // The panel's first frame has been drawn (emitted once, on the turn after).
    void firstFrameDrawn();
    // Escape was pressed in the panel and no view in it took the key.
    void escapePressed();

public:
    // True when a press on `widget` is a press into text: it or a view it belongs to edits text.
    static bool takesText(const QWidget* widget);
    // True when `widget` or a view it belongs to answers a right click itself (its context menu
    // policy is a custom one), so the right click does not open the settings.
    static bool takesRightClick(const QWidget* widget);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_drawn = false;

public:
    bool hasDrawnFrame() const { return m_drawn; }
};
