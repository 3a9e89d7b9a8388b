#pragma once

#include <QObject>
#include <QSet>

namespace KeyboardShortcuts {

// Watches the program's menus: begins when the first QMenu of the process shows and ends when the
// last one open hides or is destroyed. A menu holds the keyboard while it is open, so the desktop
// delivers no hot key meanwhile. A menu drawn by another process (a tray menu of the desktop
// shell) is not seen.
class MenuTrackingObserver : public QObject {
    Q_OBJECT
public:
    explicit MenuTrackingObserver(QObject* parent = nullptr);
    ~MenuTrackingObserver() override;

    bool isTracking() const { return !m_open.isEmpty(); }

signals:
    void didBeginTracking();
    void didEndTracking();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void closed(QObject* menu);

    QSet<QObject*> m_open;
};

} // namespace KeyboardShortcuts
