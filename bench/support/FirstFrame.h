#pragma once

// What the start-up benchmarks watch for on a real display: the first frame a program shows.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>

// Prints "first frame" once the first window of the program has been painted: it watches every
// event for the first paint of a window and prints on the next turn of the event loop, after the
// painted picture went to the display. Install with qApp->installEventFilter() before the loop
// runs; it removes itself.
class FirstFrameReporter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType() ||
            !static_cast<QWidget*>(watched)->isWindow())
            return false;
        QCoreApplication::instance()->removeEventFilter(this);
        QMetaObject::invokeMethod(
            this,
            [] {
                std::fprintf(stdout, "first frame\n");
                std::fflush(stdout);
            },
            Qt::QueuedConnection);
        return false;
    }
};
