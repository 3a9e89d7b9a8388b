#pragma once

#include <QWidget>

// The settings window: no title bar, clear around its card, above ordinary windows, on every
// workspace, and moved by dragging its background. It still takes the keyboard focus, which a
// window without a title bar would otherwise not be offered.
class SettingsOverlayWindow : public QWidget {
    Q_OBJECT
public:
    explicit SettingsOverlayWindow(const QRect& contentRect);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
