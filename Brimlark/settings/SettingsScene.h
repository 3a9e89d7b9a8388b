#pragma once

#include "Brimlark/pages/PanelServices.h"
#include "Brimlark/settings/SettingsTab.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class HaloController;
class QLabel;
class QScrollArea;
class SettingsSidebarRow;

// The settings window's root view: a dark card with the ten pages in a sidebar, the chosen page's
// title and a close button above a scrolling page. Pages not built yet show their title. The pages
// edit the panel's services: the settings, the hook service, the quick actions, the mirror's
// placement; the Focus page toggles Do Not Disturb through the focus service, and opens the
// shortcuts application and copies to the clipboard through the workspace.
class SettingsScene : public QWidget {
    Q_OBJECT
public:
    // What the scene has of its own: the glow the glow page tries out, and how the close button
    // puts the window away.
    struct Context {
        HaloController* halo = nullptr;
        std::function<void()> close;
    };

    SettingsScene(const PanelServices& services, Context context,
                  SettingsTab selection = SettingsTab::general, QWidget* parent = nullptr);
    SettingsScene(const PanelServices&& services, Context context,
                  SettingsTab selection = SettingsTab::general, QWidget* parent = nullptr) = delete;

    SettingsTab selection() const { return m_selection; }
    // "settings could not be saved: <reason>" while the settings file cannot be written, else empty.
    QString saveLine() const;
    void setSelection(SettingsTab tab);

    static constexpr int sceneWidth = 820;
    static constexpr int sceneHeight = 580;

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
};
