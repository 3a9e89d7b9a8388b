#include "platform/linux/desktop/DeactivationWatcher.h"

#include <QGuiApplication>

DeactivationWatcher::DeactivationWatcher(QObject* parent) : QObject(parent) {
    m_confirm.setSingleShot(true);
    m_confirm.setInterval(confirmDelayMs);
    connect(&m_confirm, &QTimer::timeout, this, &DeactivationWatcher::confirm);
    if (qGuiApp)
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                &DeactivationWatcher::onStateChanged);
}

void DeactivationWatcher::setEnabled(bool enabled) {
    m_enabled = enabled;
    m_confirm.stop();
    m_wasActive = enabled && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void DeactivationWatcher::onStateChanged(Qt::ApplicationState state) {
    if (!m_enabled)
        return;
    if (state == Qt::ApplicationActive) {
        m_wasActive = true;
        m_confirm.stop();
        return;
    }
    if (m_wasActive) {
        m_wasActive = false;
        m_confirm.start();
    }
}

void DeactivationWatcher::confirm() {
    if (m_enabled && QGuiApplication::applicationState() != Qt::ApplicationActive)
        emit deactivated();
}
