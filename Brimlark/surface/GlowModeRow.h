#pragma once

#include "Brimlark/core/HaloMode.h"
#include "Brimlark/kit/BrimlarkChoiceRow.h"

// One glow mode in the glow tab: a radio mark at the top beside the mode's title (lower-cased) and
// its description (as written), on a card that takes an orange tint while the mode is chosen.
class GlowModeRow : public BrimlarkChoiceRow {
    Q_OBJECT
public:
    GlowModeRow(HaloMode mode, QWidget* parent = nullptr);

    HaloMode mode() const { return m_mode; }

    // The mode's title as written and its description.
    static QString title(HaloMode mode);
    static QString subtitle(HaloMode mode);

private:
    HaloMode m_mode;
};
