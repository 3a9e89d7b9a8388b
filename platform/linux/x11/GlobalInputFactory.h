#pragma once

#include "platform/GlobalInput.h"

#include <memory>

// The global input for this session: XInput 2 raw events (X11GlobalInput) when Qt runs on xcb
// and the X server offers XInput 2.0 or later, else pointer polling (PolledGlobalInput). On
// XWayland the X11 one also reports the application losing the focus. Needs the
// QGuiApplication; never null. The caller owns it (give it no QObject parent). The choice is
// logged at info level.
std::unique_ptr<GlobalInput> createGlobalInput();
