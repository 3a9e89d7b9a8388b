#pragma once

#include <QObject>

#include <chrono>
#include <functional>

class Clock;
class ClockTimer;

// Keeps a page's relative times ("5 sec. ago") current while it shows: start() calls `refresh`
// at once and then once every interval on the clock until stop(). The page calls start() when it
// shows and stop() when it hides, so a hidden page never wakes.
class RelativeTimeRefresh : public QObject {
    Q_OBJECT
public:
    RelativeTimeRefresh(Clock& clock, std::function<void()> refresh, QObject* parent = nullptr);

    static constexpr std::chrono::milliseconds interval{1000};

    void start();
    void stop();
    bool isActive() const;

private:
    void tick();

    std::function<void()> m_refresh;
    ClockTimer* m_timer;
};
