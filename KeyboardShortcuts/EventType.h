#pragma once

namespace KeyboardShortcuts {

// Whether a hot key went down or came up.
enum class EventType { keyDown, keyUp };

} // namespace KeyboardShortcuts
