#pragma once

#include <QString>

class QPushButton;

// The onboarding's buttons: a prominent one is an orange pill with black text, a plain one a dark
// pill with a faint rim and light text. Pressed, a button fades to 85% over the window's black. The
// look does not change while a button is disabled.
class OnboardingButtonStyle {
public:
    explicit OnboardingButtonStyle(bool prominent) : m_prominent(prominent) {}

    QString styleSheet() const;
    // Gives `button` this look, its font and the pointing-hand cursor.
    void apply(QPushButton* button) const;

private:
    bool m_prominent;
};
