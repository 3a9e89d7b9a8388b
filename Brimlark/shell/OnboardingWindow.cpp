#include "Brimlark/shell/OnboardingWindow.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

OnboardingWindow::OnboardingWindow(const QSize& size)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Brimlark"));
    setFixedSize(size);
}

void OnboardingWindow::mousePressEvent(QMouseEvent* event) {
    // Presses that no control took land here: the background moves the window.
    if (event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void OnboardingWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrimlarkTheme::notchBlack());
}
