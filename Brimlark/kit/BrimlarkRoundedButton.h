#pragma once

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>

// A text button: its title on one line, centred and elided, in a rounded rectangle with a hairline
// rim. The look holds its colours, corner radius, font and padding. It presses with the kit's button
// style (scale 0.97, opacity 0.92) and draws at 40% opacity while disabled.
class BrimlarkRoundedButton : public QAbstractButton {
    Q_OBJECT
public:
    struct Look {
        QColor fill;
        QColor stroke;
        QColor text;
        int horizontalPadding = 12;
        int verticalPadding = 8;
        qreal cornerRadius = 10;
        QFont font = BrimlarkTheme::monoMedium13();

        // Black text on the solid tint.
        static Look filled(const QColor& tint);
        // Tinted text on the notch black inside a fainter rim of the tint.
        static Look outlined(const QColor& tint);
    };

    BrimlarkRoundedButton(const QString& title, const Look& look, QWidget* parent = nullptr);

    const Look& look() const { return m_look; }
    // Changes the look, for a button whose state shows in its colours.
    void setLook(const Look& look);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
};
