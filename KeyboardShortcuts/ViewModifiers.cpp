#include "KeyboardShortcuts/ViewModifiers.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/EventStream.h"
#include "KeyboardShortcuts/GlobalKeyboardShortcutViewModifier.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"

#include <QWidget>

namespace KeyboardShortcuts {

namespace {

// The stream, handed to the view: destroying the view ends it, and its actions leave the registry.
EventStream* streamFor(QWidget& view, const Name& name, std::optional<EventType> only) {
    CarbonKeyboardShortcuts* registry = KeyboardShortcuts::registry();
    if (!registry) {
        qCWarning(log, "no hot-key registry installed; %s is not followed", qUtf8Printable(name.rawValue()));
        return nullptr;
    }
    std::unique_ptr<EventStream> stream = only ? registry->events(*only, name) : registry->events(name);
    stream->setParent(&view);
    return stream.release();
}

} // namespace

void onKeyboardShortcut(QWidget& view, const Name& name, std::function<void(EventType type)> perform) {
    if (EventStream* stream = streamFor(view, name, std::nullopt))
        QObject::connect(stream, &EventStream::event, stream, std::move(perform));
}

void onKeyboardShortcut(QWidget& view, const Name& name, EventType type, std::function<void()> perform) {
    if (EventStream* stream = streamFor(view, name, type))
        QObject::connect(stream, &EventStream::event, stream, [perform = std::move(perform)](EventType) {
            if (perform)
                perform();
        });
}

GlobalKeyboardShortcutViewModifier* globalKeyboardShortcut(QAbstractButton& control, const Name& name) {
    return new GlobalKeyboardShortcutViewModifier(control, name);
}

} // namespace KeyboardShortcuts
