#pragma once

#include "Brimlark/kit/BrimlarkPill.h"

// The small status capsule of the application: a pill with the frosted layer, in semibold 11.
class BrimlarkStatusBadge : public BrimlarkPill {
    Q_OBJECT
public:
    BrimlarkStatusBadge(const QString& label, const QColor& color, bool filled, QWidget* parent = nullptr);
};
