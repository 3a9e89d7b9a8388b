#pragma once

#include "Brimlark/settings/SettingsTab.h"

#include <QAbstractButton>

class QVariantAnimation;

// One row of the settings sidebar: the page's symbol and name, highlighted while selected; the
// highlight eases in and out. The whole padded rectangle takes clicks.
class SettingsSidebarRow : public QAbstractButton {
    Q_OBJECT
public:
    explicit SettingsSidebarRow(SettingsTab tab, QWidget* parent = nullptr);

    SettingsTab tab() const { return m_tab; }
    bool isSelected() const { return m_selected; }
    // Eases the highlight over unless `animated` is false.
    void setSelected(bool selected, bool animated = true);
    QSize sizeHint() const override;
    // Where the page's symbol is drawn.
    QRectF symbolRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SettingsTab m_tab;
    bool m_selected = false;
    // 0 plain, 1 highlighted, in between while easing.
    qreal m_highlight = 0;
    QVariantAnimation* m_animation;
};
