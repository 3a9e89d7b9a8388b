#pragma once

#include "Brimlark/apps/AppEntry.h"
#include "Brimlark/apps/AppLaunchResult.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class AppBatchButton;
class AppLauncherService;
class QVariantAnimation;

// One application in the batch's grid: its icon with a dot for its last result, its name on up to
// two lines, and a remove button in the top-leading corner that shows while the pointer is over
// the tile. Hovered, the tile is raised, outlined in the warning colour and grows to 1.03.
class AppGridTile : public QWidget {
    Q_OBJECT
public:
    AppGridTile(AppLauncherService& service, const AppEntry& entry, QWidget* parent = nullptr);

    const AppEntry& entry() const { return m_entry; }
    bool isHovering() const { return m_hovering; }
    AppBatchButton* removeButton() const { return m_remove; }

    // The colour of a result's badge and dot: success, warning or danger.
    static QColor resultColor(const AppLaunchResult& result);

    static constexpr int minimumTileHeight = 78;
    QSize sizeHint() const override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setHovering(bool hovering);

    AppLauncherService& m_service;
    AppEntry m_entry;
    QPixmap m_icon;
    bool m_hovering = false;
    // 0 at rest, 1 hovered: the raised look and the scale.
    qreal m_hoverProgress = 0.0;
    AppBatchButton* m_remove;
    QPointer<QVariantAnimation> m_lookAnimation;
    QPointer<QVariantAnimation> m_removeFade;
};
