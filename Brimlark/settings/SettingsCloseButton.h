#pragma once

#include <QAbstractButton>

// The round close button in the settings window's header: a cross on a dark disc with a strong
// rim and a soft sheen added over the rim's top. Only the disc takes clicks.
class SettingsCloseButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit SettingsCloseButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
};
