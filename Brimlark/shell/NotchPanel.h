#pragma once

#include <QRect>
#include <QWidget>

// The borderless window that sits over the notch: always on top, clear where the notch body does
// not paint, without shadow, on every workspace and out of the task bar. It can take the keyboard
// focus (the open panel has text fields) but never asks for it while closed.
class NotchPanel : public QWidget {
    Q_OBJECT
public:
    explicit NotchPanel(const QRect& frame);

    // Shows the panel in front and gives it the keyboard focus.
    void orderFrontAndFocus();
    // Shows the panel in front without taking the focus.
    void orderFrontRegardless();
};
