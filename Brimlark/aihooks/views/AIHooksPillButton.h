#pragma once

#include <QAbstractButton>
#include <QColor>

// A button of the AI hooks page: its title in a capsule, dark text on the solid tint when filled,
// else tinted text on the surface colour; compact buttons use the small font and padding.
class AIHooksPillButton : public QAbstractButton {
    Q_OBJECT
public:
    AIHooksPillButton(const QString& title, bool compact, bool filled, const QColor& tint,
                      QWidget* parent = nullptr);

    QColor tint() const { return m_tint; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_compact;
    bool m_filled;
    QColor m_tint;
};
