#pragma once

#include "platform/GlobalInput.h"
#include "platform/linux/desktop/DeactivationWatcher.h"

#include <QTimer>

// Global input where the desktop offers no way to watch other applications (Wayland without
// XWayland, offscreen): the pointer is polled every `pollIntervalMs` while started and each new
// position is reported. A pointer at rest for `restBeforeSlowingMs` is polled only every
// `restingPollIntervalMs` until it moves again, so an idle program seldom wakes; a press in another
// application is seen only as the application losing the focus to it, reported as
// mouseDownOutside(Qt::NoButton, pointer). Focus moving to our own settings window or a Qt file dialog is not
// such a loss. No scroll samples are reported.
class PolledGlobalInput final : public GlobalInput {
    Q_OBJECT
public:
    explicit PolledGlobalInput(QObject* parent = nullptr);

    // Always succeeds. Calling it again while started does nothing.
    bool start() override;
    void stop() override;
    QPoint pointerPosition() const override;

    bool isStarted() const { return m_poll.isActive(); }

    static constexpr int pollIntervalMs = 50;
    static constexpr int restBeforeSlowingMs = 2000;
    static constexpr int restingPollIntervalMs = 200;

private:
    void poll();

    QTimer m_poll;
    QPoint m_last;
    int m_restingMs = 0;
    DeactivationWatcher m_deactivation;
};
