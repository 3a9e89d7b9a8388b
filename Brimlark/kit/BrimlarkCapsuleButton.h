#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

// A text button in a capsule with continuous corners: tinted text inside a one-point rim of the
// tint at `rimOpacity` over no fill, or, when filled, dark text on the solid tint. It presses with
// the kit's button style (scale 0.97, opacity 0.92).
class BrimlarkCapsuleButton : public QAbstractButton {
    Q_OBJECT
public:
    struct Look {
        QColor tint;
        bool filled = false;
        qreal rimOpacity = 0.55;
        qreal horizontalPadding = 10;
        qreal verticalPadding = 5;
    };

    BrimlarkCapsuleButton(const QString& title, const Look& look, const QFont& font,
                          QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
};
