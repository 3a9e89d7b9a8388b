#pragma once

#include <QWidget>

class AppLauncherService;
class AppLauncherView;

// The settings window's app batch page: the batch page itself, with room for a grid of tiles.
class AppBatchTab : public QWidget {
    Q_OBJECT
public:
    explicit AppBatchTab(AppLauncherService& service, QWidget* parent = nullptr);

    AppLauncherView* view() const { return m_view; }

private:
    AppLauncherView* m_view;
};
