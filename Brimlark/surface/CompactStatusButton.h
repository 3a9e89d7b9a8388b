#pragma once

#include <QAbstractButton>
#include <QColor>

// "allow" or "deny" in the compact status pill: a small capsule, filled with its tint when
// prominent, else tinted text on black with a tinted rim.
class CompactStatusButton : public QAbstractButton {
    Q_OBJECT
public:
    CompactStatusButton(const QString& label, const QColor& tint, bool prominent, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_tint;
    bool m_prominent;
};
