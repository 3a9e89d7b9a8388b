#include "Brimlark/controls/MirrorTab.h"

#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/controls/MirrorPlacementRow.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"

#include <QLabel>
#include <QVBoxLayout>

MirrorTab::MirrorTab(CameraMirrorService& service, QWidget* parent) : QWidget(parent), m_service(service) {
    using Placement = CameraMirrorService::Placement;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    QLabel* intro = plainLabel(
        QStringLiteral("where the live camera preview appears when you tap the mirror quick action."),
        BrimlarkTheme::monoRegular13(), BrimlarkTheme::textSecondary(), this);
    intro->setWordWrap(true);
    column->addWidget(intro);
    for (Placement placement : {Placement::inline_, Placement::popover, Placement::detached}) {
        auto* row = new MirrorPlacementRow(placement, this);
        connect(row, &QAbstractButton::clicked, this,
                [this, placement] { m_service.setPlacement(placement); });
        column->addWidget(row);
        m_rows.append(row);
    }
    connect(&m_service, &CameraMirrorService::placementChanged, this, &MirrorTab::sync);
    sync();
}

void MirrorTab::sync() {
    for (MirrorPlacementRow* row : std::as_const(m_rows))
        row->setSelected(row->placement() == m_service.placement());
}
