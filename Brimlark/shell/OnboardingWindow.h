#pragma once

#include <QWidget>

// The onboarding's window: no title bar, black to its edges, sized to the view it hosts, and moved
// by dragging its background. It takes the keyboard focus when shown, so its shortcuts work.
class OnboardingWindow : public QWidget {
    Q_OBJECT
public:
    explicit OnboardingWindow(const QSize& size);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
