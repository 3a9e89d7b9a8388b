#pragma once

#include "Brimlark/core/NotchShape.h"
#include "Brimlark/surface/ActiveHalo.h"

#include <QColor>
#include <QEasingCurve>
#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <optional>

class Accessibility;
class QTimer;
class QVariantAnimation;

// The glow: a thin coloured line along the panel's edge. A brief glow flares up and fades, a
// persistent one breathes until it is cleared, and the ambient one drifts from orange to cyan and
// back with the controller's phase. It takes no clicks, and with reduce motion on it neither
// springs nor breathes. Breathing and drifting last as long as the glow does, so they redraw at a
// capped frame rate rather than the display's.
class NotchHalo : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal lineWidth = 1.25;

    // `hasPhysicalNotch` is asked at every paint, as the panel may move to another screen.
    NotchHalo(Accessibility* accessibility, std::function<bool()> hasPhysicalNotch,
              QWidget* parent = nullptr);

    // The glow to draw; a glow with a new id starts its look afresh.
    void setActive(const std::optional<ActiveHalo>& active);
    // The controller's phase; only the ambient glow follows it.
    void setAmbientPhase(double phase);

    const std::optional<ActiveHalo>& active() const { return m_active; }
    // The line's colour and opacity as drawn now; opacity 0 draws nothing.
    QColor lineColor() const;
    qreal lineOpacity() const;

    // The ambient colour at `phase`: orange at 0 and 1, cyan at 0.5, at opacity 0.55.
    static QColor ambientColor(double phase);
    // The outline the line follows within a panel of `hasPhysicalNotch`.
    static NotchShape outline(bool hasPhysicalNotch);
    // The band of the view the line can touch; a frame of the breath or the drift repaints only it.
    QRegion lineStrip() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool reduceMotion() const;
    void startOneShot();
    void startPersistent();
    void stopAnimations();
    void animate(QVariantAnimation* animation, double to, int durationMs, const QEasingCurve& curve);
    // Starts the frames of the breath or the drift from now.
    void startFrames();
    void stepFrame();

    Accessibility* m_accessibility;
    std::function<bool()> m_hasPhysicalNotch;
    std::optional<ActiveHalo> m_active;
    double m_ambientPhase = 0.0;

    // View state of the line on show: the brief glow's progress, the persistent glow's breath (0 at
    // opacity 0.6, 1 at 0.8) and the ambient colour blending from one phase step to the next.
    double m_oneShotProgress = 0.0;
    double m_pulse = 0.0;
    QColor m_ambientFrom;
    QColor m_ambientTo;
    double m_ambientBlend = 1.0;

    QVariantAnimation* m_oneShotAnimation;
    QTimer* m_fadeOutTimer;
    // Draws the persistent glow's breath and the ambient glow's blend, timed from m_motionStart.
    QTimer* m_frameTimer;
    QElapsedTimer m_motionStart;
    QEasingCurve m_easeInOut;
};
