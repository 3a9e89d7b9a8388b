#pragma once

#include "Brimlark/settings/SettingsTab.h"

#include <QAbstractButton>

// One row of the settings sidebar: the page's symbol and name, highlighted while selected. The
// whole padded rectangle takes clicks.
class SettingsSidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    explicit SettingsSidebarRow(SettingsTab tab, QWidget* parent = nullptr);

    SettingsTab tab() const { return m_tab; }
    void setSelected(bool selected);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SettingsTab m_tab;
    bool m_selected = false;
};
