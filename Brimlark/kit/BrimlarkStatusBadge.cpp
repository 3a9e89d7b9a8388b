#include "Brimlark/kit/BrimlarkStatusBadge.h"

#include "Brimlark/kit/BrimlarkTheme.h"

BrimlarkStatusBadge::BrimlarkStatusBadge(const QString& label, const QColor& color, bool filled,
                                         QWidget* parent)
    : BrimlarkPill(label, color, filled, true, BrimlarkTheme::monoSemibold11(), parent) {}
