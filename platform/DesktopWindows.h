#pragma once

#include <QObject>
#include <QRegion>

class QWindow;

// What the window manager and the display server are told about the program's own accessory
// windows (the notch panel, the glow), and the keyboard focus and compositing state of the desktop.
class DesktopWindows : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DesktopWindows() override = default;

    // What a shape clips: what the window shows and where it takes the pointer, or only what it
    // shows (a window that lets the pointer through keeps doing so).
    enum class ShapeParts { drawingAndInput, drawingOnly };

    // Makes `window` an accessory of the desktop: on every workspace, above normal windows, left
    // out of the task bar, the pager and the window switcher, and kept open when the window manager
    // asks it to close (Alt+F4, a pager's close). Applied again each time the window is shown; one
    // call per window, made any time after it is created; does nothing where the desktop has no
    // such hints.
    virtual void makeAccessory(QWindow* window) = 0;
    // Lets the pointer through `window` everywhere, to whatever lies under it, and tells the
    // window manager so (its frame around the window follows). Applied again each time the window
    // is shown, and by calling again (after a change of its shape); does nothing where the desktop
    // cannot.
    virtual void letPointerThrough(QWindow* window) = 0;
    // Keeps `window` stacked above `owner` (one of the program's accessories) from now on: the
    // window manager raises it whenever `owner` is raised, and keeps it in `owner`'s layer.
    // Applied again each time `window` is shown; a later call for `window` replaces `owner`.
    // Unlike a transient parent in Qt, nothing is blocked or activated through the relation. Does
    // nothing where the desktop has no such hint.
    virtual void keepAbove(QWindow* window, QWindow* owner) = 0;
    // An identifier of the window that holds the keyboard now; 0 when none or unknown.
    virtual quint64 focusedWindow() const = 0;
    // The identifier focusedWindow() reports while `window` holds the keyboard; 0 without one.
    virtual quint64 idOf(const QWindow* window) const = 0;
    // Asks for the keyboard to go to `window`; false (logged) when that window is gone.
    virtual bool giveFocus(quint64 window) = 0;
    // True while a compositing manager runs, so that translucent windows show as translucent.
    virtual bool compositorRunning() const = 0;
    // Clips `window`'s `parts` to `region` (logical pixels of the window); an empty region removes
    // the clip. Does nothing where the desktop cannot clip.
    virtual void setShape(QWindow* window, const QRegion& region, ShapeParts parts) = 0;
    void setShape(QWindow* window, const QRegion& region) {
        setShape(window, region, ShapeParts::drawingAndInput);
    }

signals:
    // A compositing manager started (true) or stopped (false).
    void compositorRunningChanged(bool running);
};
