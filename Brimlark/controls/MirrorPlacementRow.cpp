#include "Brimlark/controls/MirrorPlacementRow.h"

namespace {
BrimlarkChoiceRow::Look placementLook() {
    BrimlarkChoiceRow::Look look;
    look.markAlignment = Qt::AlignVCenter;
    look.textSpacing = 2;
    return look;
}
} // namespace

MirrorPlacementRow::MirrorPlacementRow(CameraMirrorService::Placement placement, QWidget* parent)
    : BrimlarkChoiceRow(title(placement).toLower(), subtitle(placement), placementLook(), parent),
      m_placement(placement) {}

QString MirrorPlacementRow::title(CameraMirrorService::Placement placement) {
    switch (placement) {
    case CameraMirrorService::Placement::inline_:
        return QStringLiteral("Inline (in notch panel)");
    case CameraMirrorService::Placement::popover:
        return QStringLiteral("Popover (under notch)");
    case CameraMirrorService::Placement::detached:
        break;
    }
    return QStringLiteral("Detached");
}

QString MirrorPlacementRow::subtitle(CameraMirrorService::Placement placement) {
    switch (placement) {
    case CameraMirrorService::Placement::inline_:
        return QStringLiteral("live preview rendered inside basic mode.");
    case CameraMirrorService::Placement::popover:
        return QStringLiteral("floating preview drops down from under the notch.");
    case CameraMirrorService::Placement::detached:
        break;
    }
    return QStringLiteral("resizable standalone window you can park anywhere.");
}
