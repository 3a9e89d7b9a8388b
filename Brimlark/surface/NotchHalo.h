#pragma once

#include "Brimlark/core/NotchShape.h"
#include "Brimlark/surface/ActiveHalo.h"

#include <QColor>
#include <QEasingCurve>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class Accessibility;
class QTimer;
class QVariantAnimation;

// The glow: a thin coloured line just outside the panel's outline. A brief glow flares up and
// fades, a persistent one breathes until it is cleared, and the ambient one drifts from orange to
// cyan and back with the controller's phase. It takes no clicks, and with reduce motion on it
// neither springs nor breathes.
//
// The view is the panel's frame grown by `margin` on the left, the right and below, so the line is
// drawn whole; the panel sits at panelRect(). The line is stroked once per size into a coverage
// mask, and a frame of the breath or the drift only tints the mask's pixels again. Breathing and
// drifting last as long as the glow does, so they redraw at a capped frame rate, and a frame that
// would look the same is not drawn.
class NotchHalo : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal lineWidth = 1.25;
    // The line runs 2 points outside the outline; half its width and its soft edge fit in 4.
    static constexpr int margin = 4;

    // `hasPhysicalNotch` is asked whenever the line is laid out, as the panel may move to another
    // screen; call relayout() when its answer changes.
    NotchHalo(Accessibility* accessibility, std::function<bool()> hasPhysicalNotch,
              QWidget* parent = nullptr);

    // The frame of the view that draws the glow around a panel at `panelFrame`.
    static QRect frameAround(const QRect& panelFrame);
    // Where the panel sits within the view.
    QRectF panelRect() const;

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
    // The outline the line follows around a panel of `hasPhysicalNotch`: its own outline pushed 2
    // points outward.
    static NotchShape outline(bool hasPhysicalNotch);
    // The band of the view the line can touch, in a few rectangles; a frame of the breath or the
    // drift repaints the rectangle around it, never the panel under the window.
    QRegion lineStrip() const;

    // Soft (antialiased) edges, the default, need a desktop that blends translucent windows;
    // without one the line is drawn in whole pixels, and linePixels() is exactly what it covers.
    void setSoftEdges(bool soft);
    bool softEdges() const { return m_softEdges; }
    // The pixels the line covers (with soft edges, any it touches), in the view's coordinates.
    QRegion linePixels();
    // Lays the line out again, for a change of hasPhysicalNotch's answer.
    void relayout();

signals:
    // A glow came (true) or went (false).
    void activeChanged(bool active);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool reduceMotion() const;
    bool notched() const;
    void startOneShot();
    void startPersistent();
    void stopAnimations();
    void animate(QVariantAnimation* animation, double to, int durationMs, const QEasingCurve& curve);
    // Starts the frames of the breath or the drift from now.
    void startFrames();
    void stepFrame();
    // Draws the line again when it would look different from the last drawing: `now`, or on the
    // next update.
    void lineChanged(bool now = false);
    // The colour every covered pixel is tinted with now, premultiplied; 0 draws nothing.
    QRgb tint() const;
    // Strokes the line into m_mask for the current size, notch and edges, unless it is there.
    void ensureMask();
    // Tints m_frame with `tint`.
    void ensureFrame(QRgb tint);

    Accessibility* m_accessibility;
    std::function<bool()> m_hasPhysicalNotch;
    std::optional<ActiveHalo> m_active;
    double m_ambientPhase = 0.0;
    bool m_softEdges = true;

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

    // The stroked line: coverage of each touched pixel (offset into the image, 1 to 255), laid out
    // for m_maskSize, m_maskNotched and m_maskSoft; and the tinted picture drawn from it.
    std::vector<std::pair<int, uchar>> m_coverage;
    QSize m_maskSize;
    qreal m_maskRatio = 0.0;
    bool m_maskNotched = false;
    bool m_maskSoft = true;
    QImage m_frame;
    QRgb m_frameTint = 0;
    // The tint of the last requested drawing; a frame that keeps it draws nothing.
    QRgb m_shownTint = 0;
};
