#include "platform/fake/FakeCamera.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <iterator>

FakeCamera::FakeCamera(QObject* parent) : Camera(parent) {}

bool FakeCamera::configure() {
    ++configureCalls;
    m_configured = hasDevice;
    return m_configured;
}

void FakeCamera::start() {
    ++startCalls;
    if (!m_configured || m_running)
        return;
    m_running = true;
    deliverFrame();
}

void FakeCamera::stop() {
    ++stopCalls;
    m_running = false;
}

void FakeCamera::deliverFrame() {
    if (!m_running)
        return;
    deliver(testPattern(framesDelivered));
    ++framesDelivered;
}

QImage FakeCamera::testPattern(int index, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor bars[] = {QColor(220, 40, 40), QColor(230, 150, 30), QColor(230, 220, 40),
                               QColor(50, 180, 70), QColor(40, 170, 200), QColor(50, 70, 220)};
        const int count = int(std::size(bars));
        for (int i = 0; i < count; ++i) {
            const int left = size.width() * i / count;
            painter.fillRect(QRect(left, 0, size.width() * (i + 1) / count - left, size.height()), bars[i]);
        }
        const double w = size.width();
        const double h = size.height();
        // The sweeping bar.
        const int sweep = (index * 8) % size.width();
        painter.fillRect(QRect(sweep, 0, size.width() / 40 + 1, size.height()), QColor(255, 255, 255, 170));
        // An arrow pointing right, and a word under it: both read backwards once mirrored.
        QPainterPath arrow;
        arrow.moveTo(w * 0.25, h * 0.38);
        arrow.lineTo(w * 0.58, h * 0.38);
        arrow.lineTo(w * 0.58, h * 0.26);
        arrow.lineTo(w * 0.78, h * 0.46);
        arrow.lineTo(w * 0.58, h * 0.66);
        arrow.lineTo(w * 0.58, h * 0.54);
        arrow.lineTo(w * 0.25, h * 0.54);
        arrow.closeSubpath();
        painter.setPen(QPen(Qt::black, 3));
        painter.setBrush(Qt::white);
        painter.drawPath(arrow);
        QFont font;
        font.setPixelSize(int(h * 0.16));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, h * 0.68, w, h * 0.24), Qt::AlignCenter, QStringLiteral("CAM"));
    }
    return image;
}
