#include "KeyboardShortcuts/MenuTrackingObserver.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenu>

namespace KeyboardShortcuts {

MenuTrackingObserver::MenuTrackingObserver(QObject* parent) : QObject(parent) {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

MenuTrackingObserver::~MenuTrackingObserver() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool MenuTrackingObserver::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide) || !qobject_cast<QMenu*>(watched))
        return false;
    if (type == QEvent::Hide) {
        closed(watched);
        return false;
    }
    if (m_open.contains(watched))
        return false;
    m_open.insert(watched);
    connect(watched, &QObject::destroyed, this, &MenuTrackingObserver::closed, Qt::UniqueConnection);
    if (m_open.size() == 1)
        emit didBeginTracking();
    return false;
}

void MenuTrackingObserver::closed(QObject* menu) {
    if (!m_open.remove(menu))
        return;
    disconnect(menu, &QObject::destroyed, this, &MenuTrackingObserver::closed);
    if (m_open.isEmpty())
        emit didEndTracking();
}

} // namespace KeyboardShortcuts
