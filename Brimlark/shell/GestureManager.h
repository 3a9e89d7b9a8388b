#pragma once

#include "platform/Clock.h"
#include "platform/GlobalInput.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <functional>

class InteractionEngine;
class Screens;
class QWidget;
class QWheelEvent;
class QWindow;

// Turns a scroll near the notch or over the open panel into one step of the panel per gesture:
// vertical opens or closes one level, horizontal pages the advanced panel or skips tracks in the
// basic one. A touchpad's pixel deltas add up to the trigger threshold; a wheel's notch is a
// gesture of its own and steps at once. Over the open panel, a wheel turned over a list or text
// that can still scroll that way scrolls it instead.
class GestureManager : public QObject {
    Q_OBJECT
public:
    GestureManager(InteractionEngine& engine, std::function<void()> onMediaPrev,
                   std::function<void()> onMediaNext, std::function<int()> pageCount, const Screens& screens,
                   Clock* clock = Clock::system(), QObject* parent = nullptr);
    ~GestureManager() override;

    // The panel whose own scroll events count (the local monitor), if any.
    void setObservedWindow(QWidget* window);
    // Installs the local monitor (scroll events addressed to this program) and the global one
    // (scrolls addressed to other programs, from `globalInput`).
    void installMonitors(GlobalInput* globalInput);
    // Removes both monitors and forgets the current gesture.
    void stop();

    // Whether a global point lies in the notch's hot zone: the closed notch as the panel is
    // placed, grown by 28 points left and right and 18 above and below.
    bool isInNotchZone(const QPoint& position) const;

    // One scroll event, already accepted by a monitor.
    void handleScroll(const ScrollSample& sample);
    // A wheel event of this program's own windows, as a scroll sample.
    static ScrollSample sampleFromWheelEvent(const QWheelEvent& event);

    double accumulatedX() const { return m_accumulatedX; }
    double accumulatedY() const { return m_accumulatedY; }
    bool inActiveGesture() const { return m_inActiveGesture; }

    static constexpr double axisDominance = 1.5;
    static constexpr double triggerThreshold = 28.0;
    static constexpr double noiseThreshold = 4.0;
    // Points one line of a wheel without pixel deltas counts for.
    static constexpr double lineScale = 8.0;
    static constexpr std::chrono::milliseconds cooldown{180};
    // A wheel sends ticks without phases, so a pause this long also ends the gesture.
    static constexpr std::chrono::milliseconds idleGap{300};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handleLocalWheel(QWindow* window, const QWheelEvent& event);
    // True when the widget of the observed window under `global` sits in a scrolling view that can
    // still move in the direction of `angle` (QWheelEvent::angleDelta signs).
    bool scrollsContentAt(const QPoint& global, const QPoint& angle) const;
    // The sample a wheel event of our own windows feeds, if any yet (see the .cpp).
    std::optional<ScrollSample> localSample(const QWheelEvent& event);
    // One notch of a wheel without pixel deltas: a whole gesture, one step along its axis.
    void handleWheelNotch(const ScrollSample& sample);
    void endGesture();
    bool passCooldown();
    void fireVertical(bool positive);
    void fireHorizontal(bool positive);

    InteractionEngine& m_engine;
    std::function<void()> m_onMediaPrev;
    std::function<void()> m_onMediaNext;
    std::function<int()> m_pageCount;
    const Screens& m_screens;
    Clock* m_clock;
    QPointer<QWidget> m_observedWindow;
    QPointer<GlobalInput> m_globalInput;
    QMetaObject::Connection m_globalConnection;
    bool m_localMonitorInstalled = false;
    ClockTimer* m_idleTimer;

    double m_accumulatedX = 0;
    double m_accumulatedY = 0;
    bool m_inActiveGesture = false;
    std::optional<QDateTime> m_lastFireDate;
    // Parts of a notch from a high-resolution wheel not yet fed, in eighths of a degree.
    QPoint m_wheelRemainder;
};
