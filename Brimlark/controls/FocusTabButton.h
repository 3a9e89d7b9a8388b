#pragma once

#include <QAbstractButton>
#include <QColor>

// A button of the Focus settings page: its title on one line in a rounded rectangle (radius 10)
// with a hairline rim; filled, black text on the solid tint; outlined, tinted text on the notch
// black inside a fainter rim of the tint.
class FocusTabButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Style { filled, outlined };

    FocusTabButton(const QString& title, Style style, const QColor& tint, QWidget* parent = nullptr);

    Style style() const { return m_style; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style m_style;
    QColor m_tint;
};
