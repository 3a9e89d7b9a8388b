#pragma once

#include <QColor>
#include <QWidget>

// The small round status light of the hook views.
class AIHooksDot : public QWidget {
    Q_OBJECT
public:
    AIHooksDot(const QColor& color, int diameter, QWidget* parent = nullptr);

    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};
