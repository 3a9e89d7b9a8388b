#include "launch_at_login/Toggle.h"

#include "launch_at_login/Observable.h"

#include <QSignalBlocker>

namespace LaunchAtLogin {

Toggle::Toggle(QWidget* parent) : Toggle(QStringLiteral("Launch at login"), parent) {}

Toggle::Toggle(const QString& title, QWidget* parent) : QCheckBox(title, parent) {
    refresh();
    connect(this, &QCheckBox::toggled, this, [](bool on) { LaunchAtLogin::setEnabled(on); });
    connect(&Observable::instance(), &Observable::changed, this, &Toggle::refresh);
}

void Toggle::showEvent(QShowEvent* event) {
    refresh();
    QCheckBox::showEvent(event);
}

void Toggle::refresh() {
    const QSignalBlocker blocker(this);
    setChecked(LaunchAtLogin::isEnabled());
}

} // namespace LaunchAtLogin
