#pragma once

#include <QPointF>

// Which onboarding step is on show and how far the page is pulled aside by a swipe. Buttons step
// one at a time; a horizontal drag follows the pointer at a fraction of its travel and, once
// released far enough to the left or right, moves one step forward or back. Knows no widgets, so
// the rules can be driven directly.
class OnboardingNavigator {
public:
    // A drag starts once the pointer has travelled this far from the press.
    static constexpr qreal minimumDistance = 18.0;
    // The page follows the pointer at this fraction of its horizontal travel.
    static constexpr qreal followFactor = 0.18;
    // A release strictly beyond this horizontal travel changes the step.
    static constexpr qreal stepThreshold = 60.0;

    explicit OnboardingNavigator(int totalSteps);

    int step() const { return m_step; }
    int totalSteps() const { return m_totalSteps; }
    bool isLastStep() const { return m_step == m_totalSteps - 1; }
    // The page's horizontal shift; 0 unless a drag is under way.
    qreal offset() const { return m_offset; }
    bool isDragging() const { return m_dragging; }

    // One step back or forward; nothing at either end.
    void goBack();
    void advance();

    // The pointer, still pressed, is `translation` away from where it was pressed.
    void dragChanged(const QPointF& translation);
    // The pointer was released `translation` away from its press: a left swipe moves forward, a
    // right swipe back, and the page comes back to rest. A drag that never started does nothing.
    void dragEnded(const QPointF& translation);
    // The drag was lost (the window lost the pointer): the page comes back to rest.
    void cancelDrag();

private:
    static bool startsDrag(const QPointF& translation);

    int m_totalSteps;
    int m_step = 0;
    qreal m_offset = 0.0;
    bool m_dragging = false;
};
