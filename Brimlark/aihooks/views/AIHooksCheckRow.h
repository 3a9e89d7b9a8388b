#pragma once

#include <QAbstractButton>

// A plain button spanning its row: a check mark (a circle while off) and its title. Pressing it
// toggles the setting it shows, which the owner reads back through setOn().
class AIHooksCheckRow : public QAbstractButton {
    Q_OBJECT
public:
    explicit AIHooksCheckRow(const QString& title, QWidget* parent = nullptr);

    bool isOn() const { return m_on; }
    void setOn(bool on);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The checked state follows what the row shows; a click changes only the model behind it.
    void nextCheckState() override {}

private:
    bool m_on = false;
};
