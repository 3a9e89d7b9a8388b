#pragma once

#include <QColor>
#include <QWidget>

// Shown in place of a tool's setup buttons once it is connected: a check mark and "connected" in
// the tool's tint, on a faint capsule of the same tint.
class AIHooksConnectedBadge : public QWidget {
    Q_OBJECT
public:
    explicit AIHooksConnectedBadge(const QColor& tint, QWidget* parent = nullptr);

    QColor tint() const { return m_tint; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_tint;
    QString m_text;
};
