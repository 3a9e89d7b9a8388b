#include "Brimlark/shell/BrimlarkApp.h"

#include "Brimlark/core/Logging.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "Brimlark/shell/BrimlarkAppDelegate.h"
#include "Brimlark/shell/MenuBarLabel.h"
#include "Brimlark/shell/MenuBarMenuView.h"
#include "platform/ContextCallback.h"

#include <QCoreApplication>
#include <QCursor>
#include <QSystemTrayIcon>

BrimlarkApp::BrimlarkApp(std::unique_ptr<BrimlarkAppDelegate> appDelegate, QObject* parent)
    : QObject(parent),
      m_appDelegate(appDelegate ? std::move(appDelegate) : std::make_unique<BrimlarkAppDelegate>()),
      m_menu(std::make_unique<MenuBarMenuView>(m_appDelegate->coordinator())),
      m_trayIcon(new QSystemTrayIcon(this)),
      m_label(new MenuBarLabel(*m_trayIcon, &m_appDelegate->coordinator().aiHooks(),
                               &m_appDelegate->coordinator().timer(),
                               m_appDelegate->coordinator().services().accessibility, this)) {
    m_trayIcon->setToolTip(QStringLiteral("Brimlark"));
    m_trayIcon->setContextMenu(m_menu.get());
    // The item is a pull-down menu: a plain click opens it too.
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_menu->popup(QCursor::pos());
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this,
            [this] { m_appDelegate->applicationWillTerminate(); });
}

BrimlarkApp::~BrimlarkApp() {
    m_trayIcon->setContextMenu(nullptr);
}

void BrimlarkApp::launch(const QStringList& arguments) {
    m_appDelegate->applicationDidFinishLaunching(arguments);
    // Asking for a tray talks to the session bus and the X server's tray: the notch goes on screen
    // first.
    m_appDelegate->coordinator().afterFirstFrame(ContextCallback<void()>(this, [this] {
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            m_label->trayWillShow();
            m_trayIcon->show();
            // Shown, the tray may have taken the menu over D-Bus: the hints change their form.
            m_menu->showShortcutHints();
        } else {
            qCInfo(lcApp, "no system tray on this desktop; running without the tray menu");
        }
    }));
}
