#pragma once

#include "platform/Screens.h"

#include <QRectF>
#include <QSizeF>

#include <optional>

// Which screen carries the camera notch and how large the notch is. The panel placement, the
// gesture hot zone and the closed look all ask these two questions, so they must get one answer.

// The screen the panel belongs on. A notch is recognised by its top safe-area inset alone. Falls
// back to the main screen, then the first listed, then the deepest; with no screen at all it
// returns a default description rather than failing.
ScreenDescription notchScreen(const Screens& screens, std::optional<ScreenDescription> preferred = {});

// The notch of `screen` in points. A screen without a notch is treated as having a 200 × 32 notch
// at its top centre, so the panel still has a place to sit.
QSizeF notchSize(const ScreenDescription& screen);

// Where a panel of `size` sits on `screen`: hanging from the top edge, centred under the notch, and
// moved sideways as needed to stay inside the screen. The panel in every mode, the hover region
// and the scroll hot zone are all placed by this one rule.
QRectF notchPanelFrame(const ScreenDescription& screen, const QSizeF& size);

// Where hovering the closed notch counts: `notchFrame`, the notch placed like the closed panel,
// grown by 22 points left and right and 12 above and below. The window manager watches it on the
// desktop, the panel inside its own window, so both must agree.
QRectF notchHoverRegion(const QRectF& notchFrame);
