#pragma once

#include <QCheckBox>
#include <QString>

namespace LaunchAtLogin {

// A switch bound to isEnabled(), labelled "Launch at login" unless given another title. Its
// state follows the real status whenever it changes or the switch is shown again.
class Toggle : public QCheckBox {
    Q_OBJECT
public:
    explicit Toggle(QWidget* parent = nullptr);
    explicit Toggle(const QString& title, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
};

} // namespace LaunchAtLogin
