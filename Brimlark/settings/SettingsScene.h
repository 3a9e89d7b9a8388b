#pragma once

#include "Brimlark/settings/SettingsTab.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class AppCoordinator;
class QLabel;
class QScrollArea;
class SettingsSidebarRow;

// The settings window's root view: a dark card with the ten pages in a sidebar, the chosen page's
// title and a close button above a scrolling page. Pages not built yet show their title.
class SettingsScene : public QWidget {
    Q_OBJECT
public:
    explicit SettingsScene(AppCoordinator& coordinator, SettingsTab selection = SettingsTab::general,
                           QWidget* parent = nullptr);

    SettingsTab selection() const { return m_selection; }
    void setSelection(SettingsTab tab);

    static constexpr int sceneWidth = 820;
    static constexpr int sceneHeight = 580;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showPage();

    QPointer<AppCoordinator> m_coordinator;
    SettingsTab m_selection;
    QList<SettingsSidebarRow*> m_rows;
    QLabel* m_title;
    QScrollArea* m_scroll;
};
