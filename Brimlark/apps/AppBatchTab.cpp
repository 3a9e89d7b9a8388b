#include "Brimlark/apps/AppBatchTab.h"

#include "Brimlark/apps/AppLauncherView.h"

#include <QVBoxLayout>

AppBatchTab::AppBatchTab(AppLauncherService& service, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new AppLauncherView(service, this);
    layout->addWidget(m_view);
    // The page scrolls as a whole; the batch's own list and grid need a height to scroll in.
    setMinimumHeight(360);
}
