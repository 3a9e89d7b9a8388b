#include "Brimlark/settings/onboarding/OnboardingNavigator.h"

#include <QtMath>

OnboardingNavigator::OnboardingNavigator(int totalSteps) : m_totalSteps(qMax(1, totalSteps)) {}

void OnboardingNavigator::goBack() {
    if (m_step >= 1)
        --m_step;
}

void OnboardingNavigator::advance() {
    if (m_step < m_totalSteps - 1)
        ++m_step;
}

bool OnboardingNavigator::startsDrag(const QPointF& translation) {
    return std::hypot(translation.x(), translation.y()) >= minimumDistance;
}

void OnboardingNavigator::dragChanged(const QPointF& translation) {
    if (!m_dragging && !startsDrag(translation))
        return;
    m_dragging = true;
    m_offset = translation.x() * followFactor;
}

void OnboardingNavigator::dragEnded(const QPointF& translation) {
    if (!m_dragging && !startsDrag(translation))
        return;
    const qreal width = translation.x();
    if (width < -stepThreshold)
        advance();
    else if (width > stepThreshold)
        goBack();
    cancelDrag();
}

void OnboardingNavigator::cancelDrag() {
    m_dragging = false;
    m_offset = 0.0;
}
