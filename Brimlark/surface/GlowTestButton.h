#pragma once

#include <QAbstractButton>

// "test glow now": accent text in a thin accent capsule.
class GlowTestButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit GlowTestButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
