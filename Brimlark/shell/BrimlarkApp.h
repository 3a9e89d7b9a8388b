#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class BrimlarkAppDelegate;
class MenuBarLabel;
class MenuBarMenuView;
class QSystemTrayIcon;

// The application: its tray icon with the menu, and the delegate that owns the coordinator. It
// opens no regular window at launch.
class BrimlarkApp : public QObject {
    Q_OBJECT
public:
    explicit BrimlarkApp(std::unique_ptr<BrimlarkAppDelegate> appDelegate = nullptr,
                         QObject* parent = nullptr);
    ~BrimlarkApp() override;

    BrimlarkAppDelegate& appDelegate() const { return *m_appDelegate; }
    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }
    MenuBarMenuView* menu() const { return m_menu.get(); }

    // Tells the delegate that launching has finished, then shows the tray icon once the panel is
    // on screen (a desktop without a tray still runs the panel). Termination reaches the delegate
    // when the event loop quits.
    void launch(const QStringList& arguments);

private:
    std::unique_ptr<BrimlarkAppDelegate> m_appDelegate;
    std::unique_ptr<MenuBarMenuView> m_menu;
    QSystemTrayIcon* m_trayIcon;
    MenuBarLabel* m_label;
};
