#include "Brimlark/kit/BrimlarkAnimation.h"

#include <QPointF>

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;

// How far past its target an under-damped spring swings on its first oscillation.
double springOvershoot(double damping) {
    return std::exp(-pi * damping / std::sqrt(1.0 - damping * damping));
}

// OutBack's peak overshoot for parameter s is 4s³ / (27(s+1)²); it grows with s, so a short
// bisection finds the s that overshoots as far as the spring does.
double outBackParameter(double overshoot) {
    double low = 0.0;
    double high = 10.0;
    for (int i = 0; i < 60; ++i) {
        const double s = (low + high) / 2.0;
        const double peak = 4.0 * s * s * s / (27.0 * (s + 1.0) * (s + 1.0));
        (peak < overshoot ? low : high) = s;
    }
    return (low + high) / 2.0;
}

} // namespace

BrimlarkAnimation BrimlarkAnimation::spring(double response, double dampingFraction) {
    return {Kind::spring, response, dampingFraction};
}

BrimlarkAnimation BrimlarkAnimation::easeInOut(double duration) {
    return {Kind::easeInOut, duration, 1.0};
}

int BrimlarkAnimation::durationMs() const {
    return static_cast<int>(std::lround(seconds * 1000.0));
}

QEasingCurve BrimlarkAnimation::easingCurve() const {
    if (kind == Kind::easeInOut) {
        QEasingCurve curve(QEasingCurve::BezierSpline);
        curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
        return curve;
    }
    if (damping >= 1.0)
        return QEasingCurve(QEasingCurve::OutCubic);
    QEasingCurve curve(QEasingCurve::OutBack);
    curve.setOvershoot(outBackParameter(springOvershoot(damping)));
    return curve;
}
