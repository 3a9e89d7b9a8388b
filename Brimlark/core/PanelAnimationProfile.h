#pragma once

#include "Brimlark/core/AppState.h"

#include <QEasingCurve>

// How the panel moves and fades when its mode changes.
struct PanelAnimationProfile {
    double duration = 0;
    QEasingCurve timingFunction;
    // False: the frame jumps and only the alpha fades, from crossfadeStartAlpha.
    bool shouldAnimateFrame = true;
    double targetAlpha = 1.0;
    double crossfadeStartAlpha = 1.0;

    // Reduce motion (or the reduced setting) cross-fades in 0.16 s; standard and expressive move
    // the frame along a cubic Bézier in 0.32 s and 0.42 s.
    static PanelAnimationProfile choose(bool reduceMotion, AppState::AnimationIntensity intensity);
};
