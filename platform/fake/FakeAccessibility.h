#pragma once

#include "platform/Accessibility.h"

class FakeAccessibility final : public Accessibility {
    Q_OBJECT
public:
    using Accessibility::Accessibility;

    bool reduceMotion() const override { return m_reduceMotion; }
    void setReduceMotion(bool reduce) {
        m_reduceMotion = reduce;
        Q_EMIT reduceMotionChanged(reduce);
    }

private:
    bool m_reduceMotion = false;
};
