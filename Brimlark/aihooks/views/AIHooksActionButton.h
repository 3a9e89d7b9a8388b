#pragma once

#include <QAbstractButton>
#include <QColor>

// A button of the AI hooks settings tab: its title on one line in a rounded rectangle (radius 10)
// with a hairline rim. The action look is dark text on the solid tint when filled, else tinted text
// on black; the rule presets use the same shape with colours of their own and share the row's width.
class AIHooksActionButton : public QAbstractButton {
    Q_OBJECT
public:
    struct Look {
        QColor fill;
        QColor stroke;
        QColor text;
        int horizontalPadding = 12;
        int verticalPadding = 8;
    };

    static Look actionLook(bool filled, const QColor& tint);

    AIHooksActionButton(const QString& title, const Look& look, QWidget* parent = nullptr);

    const Look& look() const { return m_look; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
};
