#pragma once

#include "platform/HotKeys.h"

#include <memory>

// The hot keys of this session: key grabs on X11 (X11HotKeys) when Qt runs on xcb and the display
// can be reached; null elsewhere, and every registration then fails as unavailable. The choice is
// logged at info level. The caller owns it (give it no QObject parent).
std::unique_ptr<HotKeys> createHotKeys();
