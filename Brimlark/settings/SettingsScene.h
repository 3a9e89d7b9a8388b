#pragma once

#include "Brimlark/pages/PanelServices.h"
#include "Brimlark/settings/SettingsTab.h"

#include <QList>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>

class AppLauncherService;
class HaloController;
class UserDefaults;
namespace KeyboardShortcuts {
class CarbonKeyboardShortcuts;
}
class QLabel;
class QScrollArea;
class SettingsSidebarRow;

// The settings window's root view: a dark card with the ten pages in a sidebar, the chosen page's
// title and a close button above a scrolling page; a page whose service the caller left out of the
// context shows its title. The card sits inside a clear margin that keeps its outer ring whole. The pages
// edit the panel's services: the settings, the hook service, the quick actions, the mirror's
// placement; the Focus page toggles Do Not Disturb through the focus service, and opens the
// shortcuts application and copies to the clipboard through the workspace.
class SettingsScene : public QWidget {
    Q_OBJECT
public:
    // What the scene has of its own: the glow the glow page tries out, the batch the app batch
    // page edits, and how the close button puts the window away.
    struct Context {
        HaloController* halo = nullptr;
        AppLauncherService* apps = nullptr;
        std::function<void()> close;
        // Where the shortcuts are stored (the shortcuts page shows only with a store) and the
        // hot-key registry they are grabbed through (may be null).
        UserDefaults* shortcutStore = nullptr;
        KeyboardShortcuts::CarbonKeyboardShortcuts* shortcutRegistry = nullptr;
    };

    SettingsScene(const PanelServices& services, Context context,
                  SettingsTab selection = SettingsTab::general, QWidget* parent = nullptr);
    SettingsScene(const PanelServices&& services, Context context,
                  SettingsTab selection = SettingsTab::general, QWidget* parent = nullptr) = delete;

    SettingsTab selection() const { return m_selection; }
    // "settings could not be saved: <reason>" while the settings file cannot be written, else empty.
    QString saveLine() const;
    void setSelection(SettingsTab tab);

    // The scene, the card inside its clear margin, and the card's corners.
    static constexpr int sceneWidth = 840;
    static constexpr int sceneHeight = 600;
    static constexpr int cardPadding = 10;
    static constexpr double cornerRadius = 32;
    static QPainterPath cardOutline();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showPage();
    void showSaveError(const QString& error);

    const PanelServices& m_services;
    Context m_context;
    // The glow is owned by whoever built the scene and can go before it; the pages that read it are
    // built only while it lives.
    QPointer<HaloController> m_halo;
    SettingsTab m_selection;
    QList<SettingsSidebarRow*> m_rows;
    QLabel* m_title;
    QLabel* m_saveLine;
    QScrollArea* m_scroll;
    QPixmap m_card;
};
