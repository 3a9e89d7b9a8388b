#pragma once

#include <QAbstractButton>
#include <QColor>

class QLabel;

// The rounded card the onboarding's rows, choices and hints sit on: a fill and an optional
// one-point rim, its content laid out by the caller with setLayout(). A card that is not
// clickable lets presses through to the page behind it (its controls still take theirs); a clickable one is a
// plain button whose owner connects clicked() and restyles it with setLook().
class OnboardingCard : public QAbstractButton {
    Q_OBJECT
public:
    struct Look {
        QColor fill;
        // No rim while invalid.
        QColor stroke;
        qreal cornerRadius = 10;
    };

    OnboardingCard(const Look& look, bool clickable, QWidget* parent = nullptr);

    bool isClickable() const { return m_clickable; }
    void setLook(const Look& look);

    // A symbol `size` points high in `color`, centred in a column `columnWidth` wide.
    static QLabel* symbol(const QString& name, const QColor& color, int size, int columnWidth,
                          QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Only a clickable card takes presses; the others leave them to what lies behind.
    bool hitButton(const QPoint& pos) const override {
        return m_clickable && QAbstractButton::hitButton(pos);
    }

private:
    Look m_look;
    bool m_clickable;
};
