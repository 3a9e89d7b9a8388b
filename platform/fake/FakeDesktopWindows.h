#pragma once

#include "platform/DesktopWindows.h"

#include <QHash>
#include <QList>
#include <QWindow>

// A desktop a test steers: it records the accessory windows, the shapes and the focus handed
// out, and lets the test say which window has the keyboard and whether a compositor runs.
class FakeDesktopWindows final : public DesktopWindows {
    Q_OBJECT
public:
    using DesktopWindows::DesktopWindows;

    void makeAccessory(QWindow* window) override { accessories.append(window); }
    void letPointerThrough(QWindow* window) override { pointerThrough.append(window); }
    void keepAbove(QWindow* window, QWindow* owner) override { keptAbove[window] = owner; }
    quint64 focusedWindow() const override { return focused; }
    quint64 idOf(const QWindow* window) const override { return window ? window->winId() : 0; }
    bool giveFocus(quint64 window) override {
        focusGivenTo.append(window);
        focused = window;
        return true;
    }
    bool compositorRunning() const override { return compositor; }
    using DesktopWindows::setShape;
    void setShape(QWindow* window, const QRegion& region, ShapeParts parts) override {
        shapes[window] = region;
        shapeParts[window] = parts;
    }

    // Starts or stops the pretend compositor and reports it.
    void setCompositor(bool running) {
        compositor = running;
        Q_EMIT compositorRunningChanged(running);
    }

    QList<QWindow*> accessories;
    QList<QWindow*> pointerThrough;
    QList<quint64> focusGivenTo;
    QHash<QWindow*, QWindow*> keptAbove;
    QHash<QWindow*, QRegion> shapes;
    QHash<QWindow*, ShapeParts> shapeParts;
    quint64 focused = 0;
    bool compositor = true;
};
