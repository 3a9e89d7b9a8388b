#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class TimerService;

// The inline row that starts a countdown of a chosen length: one capsule button each for 15, 30
// and 60 minutes. A pick asks for notification permission, starts the timer (replacing a running
// one) and then runs `onPick`, with which the host closes the row.
class TimerPickerPopover : public QWidget {
    Q_OBJECT
public:
    TimerPickerPopover(TimerService& service, std::function<void()> onPick, QWidget* parent = nullptr);

private:
    void pick(double seconds);

    QPointer<TimerService> m_service;
    std::function<void()> m_onPick;
};
