#pragma once

#include <QEasingCurve>

// A named motion of the theme. Qt animates with a duration and an easing curve, so a spring is
// approximated: it settles in about its response time and overshoots about as far as a spring
// with its damping would.
struct BrimlarkAnimation {
    enum class Kind { spring, easeInOut };

    static BrimlarkAnimation spring(double response, double dampingFraction);
    static BrimlarkAnimation easeInOut(double duration);

    Kind kind = Kind::easeInOut;
    // The response of a spring or the duration of an ease, in seconds.
    double seconds = 0.0;
    // The damping fraction of a spring; 1 (no overshoot) for an ease.
    double damping = 1.0;

    int durationMs() const;
    QEasingCurve easingCurve() const;
};
