#include "Brimlark/core/PanelAnimationProfile.h"

#include <QPointF>

namespace {
QEasingCurve cubicBezier(QPointF c1, QPointF c2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1.0, 1.0));
    return curve;
}
} // namespace

PanelAnimationProfile PanelAnimationProfile::choose(bool reduceMotion,
                                                    AppState::AnimationIntensity intensity) {
    if (reduceMotion || intensity == AppState::AnimationIntensity::reduced)
        // The desktop's standard ease in and out.
        return {0.16, cubicBezier({0.42, 0.0}, {0.58, 1.0}), false, 1.0, 0.78};
    if (intensity == AppState::AnimationIntensity::expressive)
        return {0.42, cubicBezier({0.2, 1.0}, {0.25, 1.0}), true, 1.0, 0.88};
    return {0.32, cubicBezier({0.25, 1.0}, {0.32, 1.0}), true, 1.0, 0.9};
}
