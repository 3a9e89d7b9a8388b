#pragma once

#include "Brimlark/settings/SettingsTab.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class AIHooksService;
class AppState;
class FocusService;
class CameraMirrorService;
class HaloController;
class QLabel;
class QScrollArea;
class QuickActionsStore;
class SettingsSidebarRow;
class Workspace;

// The settings window's root view: a dark card with the ten pages in a sidebar, the chosen page's
// title and a close button above a scrolling page. Pages not built yet show their title.
class SettingsScene : public QWidget {
    Q_OBJECT
public:
    // What the scene reads: the settings, the hook service and the quick actions its pages edit,
    // the glow the glow page tries out, and how the close button puts the window away.
    struct Context {
        AppState* appState = nullptr;
        AIHooksService* aiHooks = nullptr;
        HaloController* halo = nullptr;
        QuickActionsStore* quickActions = nullptr;
        // The mirror whose placement the mirror page chooses.
        CameraMirrorService* mirror = nullptr;
        std::function<void()> close;
        // The Focus page: the service it toggles Do Not Disturb with, and the workspace that
        // opens the shortcuts application and holds the clipboard.
        FocusService* focus = nullptr;
        Workspace* workspace = nullptr;
    };

    explicit SettingsScene(Context context, SettingsTab selection = SettingsTab::general,
                           QWidget* parent = nullptr);

    SettingsTab selection() const { return m_selection; }
    void setSelection(SettingsTab tab);

    static constexpr int sceneWidth = 820;
    static constexpr int sceneHeight = 580;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showPage();

    Context m_context;
    // The glow is owned by whoever built the scene and can go before it; the pages that read the
    // context are built only while it lives.
    QPointer<HaloController> m_halo;
    SettingsTab m_selection;
    QList<SettingsSidebarRow*> m_rows;
    QLabel* m_title;
    QScrollArea* m_scroll;
};
