#pragma once

#include <QtGlobal>

class QAbstractButton;
class BrimlarkPressEffect;

// The press look shared by the application's buttons: while held, a button shrinks about its centre,
// fades a little and loses a touch of brightness and colour. Hover and disabled leave it as it is.
class BrimlarkButtonStyle {
public:
    // How the button is drawn at one moment of a press.
    struct Look {
        qreal scale;
        qreal opacity;
        qreal brightness;
        qreal saturation;
    };

    explicit BrimlarkButtonStyle(qreal pressScale = 0.97, qreal pressOpacity = 0.92);

    // The look at `pressProgress`, 0 at rest and 1 fully pressed. Values a little past either end,
    // as a spring swings through them, carry on the same line; opacity never exceeds 1.
    Look look(qreal pressProgress) const;

    // Gives `button` this press look (replacing any graphics effect it had) and returns the effect,
    // which the button owns. Works for buttons whose content is child widgets, too.
    BrimlarkPressEffect* apply(QAbstractButton* button) const;

private:
    qreal m_pressScale;
    qreal m_pressOpacity;
};
