#pragma once

#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/kit/BrimlarkChoiceRow.h"

// One placement of the mirror on its settings page: a radio mark centred beside the placement's
// title (lower-cased) and its description; only the rim turns orange while chosen.
class MirrorPlacementRow : public BrimlarkChoiceRow {
    Q_OBJECT
public:
    explicit MirrorPlacementRow(CameraMirrorService::Placement placement, QWidget* parent = nullptr);

    CameraMirrorService::Placement placement() const { return m_placement; }

    // The placement's title as written and its description.
    static QString title(CameraMirrorService::Placement placement);
    static QString subtitle(CameraMirrorService::Placement placement);

private:
    CameraMirrorService::Placement m_placement;
};
