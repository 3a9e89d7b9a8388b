#include "BrimlarkStatusBadge.h"

#include "BrimlarkTheme.h"

BrimlarkStatusBadge::BrimlarkStatusBadge(const QString& label, const QColor& color, bool filled,
                                         QWidget* parent)
    : BrimlarkPill(label, color, filled, true, BrimlarkTheme::monoSemibold11(), parent) {}
