#pragma once

#include "Brimlark/controls/CameraMirrorService.h"

#include <QAbstractButton>

class QLabel;

// One placement of the mirror on its settings page: a radio mark, the placement's title
// (lower-cased) and its description, on a rounded card whose rim turns orange while chosen.
class MirrorPlacementRow : public QAbstractButton {
    Q_OBJECT
public:
    explicit MirrorPlacementRow(CameraMirrorService::Placement placement, QWidget* parent = nullptr);

    CameraMirrorService::Placement placement() const { return m_placement; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);

    // The placement's title as written and its description.
    static QString title(CameraMirrorService::Placement placement);
    static QString subtitle(CameraMirrorService::Placement placement);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showRadio();

    CameraMirrorService::Placement m_placement;
    bool m_selected = false;
    QLabel* m_radio;
};
