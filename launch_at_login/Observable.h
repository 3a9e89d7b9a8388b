#pragma once

#include "launch_at_login/LaunchAtLogin.h"

#include <QObject>

namespace LaunchAtLogin {

// The one observable view of isEnabled(): every change made through setEnabled() is announced.
class Observable : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled NOTIFY changed)
public:
    static Observable& instance();

    bool isEnabled() const { return LaunchAtLogin::isEnabled(); }
    void setEnabled(bool enabled) { LaunchAtLogin::setEnabled(enabled); }

signals:
    void changed();

private:
    Observable() = default;
};

} // namespace LaunchAtLogin
