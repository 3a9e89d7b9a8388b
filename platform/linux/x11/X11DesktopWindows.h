#pragma once

#include "platform/DesktopWindows.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QVector>

#include <array>

struct xcb_connection_t;

// The desktop's window hints on X11, over Qt's own xcb connection:
// - accessory windows get `_NET_WM_DESKTOP` 0xFFFFFFFF and the `_NET_WM_STATE` atoms STICKY, ABOVE,
//   SKIP_TASKBAR and SKIP_PAGER, written on the unmapped window before each map and, for a window
//   already on screen, asked of the window manager by client message (EWMH); their first
//   `_NET_WM_WINDOW_TYPE` is DOCK, among the types Qt writes itself at every change of flags (and
//   written before each map, for a window Qt made before it was marked), so that showing the
//   desktop leaves them on screen; a close request from the window manager (WM_DELETE_WINDOW) is
//   refused;
// - a window kept above another gets WM_TRANSIENT_FOR naming that one, written before each map
//   and again once mapped (Qt clears the property of its plain windows when it maps them); when
//   the manager's `_NET_CLIENT_LIST_STACKING` shows the owner over it (a dock is raised without
//   its transients), it is restacked just above the owner (`_NET_RESTACK_WINDOW` as a pager, or
//   a raise), a few times at most while the manager keeps the owner on top;
// - the keyboard focus is the server's input focus (reported as `_NET_ACTIVE_WINDOW` when it lies
//   inside that window) and is given back through a `_NET_ACTIVE_WINDOW` request in the pager's
//   name, or directly without a window manager;
// - a compositing manager runs while the selection `_NET_WM_CM_S<screen>` has an owner; XFixes
//   reports each change of owner;
// - shapes are set with the Shape extension, bounding and input alike or bounding alone; a window
//   the pointer passes through gets an empty input shape once it is mapped, when the window
//   manager, told by ShapeNotify, passes it on to its frame.
// On another Qt platform (offscreen, Wayland) every call does nothing and no compositor is reported.
class X11DesktopWindows final : public DesktopWindows, private QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11DesktopWindows(QObject* parent = nullptr);
    ~X11DesktopWindows() override;

    void makeAccessory(QWindow* window) override;
    void letPointerThrough(QWindow* window) override;
    void keepAbove(QWindow* window, QWindow* owner) override;
    quint64 focusedWindow() const override;
    quint64 idOf(const QWindow* window) const override;
    bool giveFocus(quint64 window) override;
    bool compositorRunning() const override { return m_compositor; }
    using DesktopWindows::setShape;
    void setShape(QWindow* window, const QRegion& region, ShapeParts parts) override;

    // True when the Qt platform is xcb and the connection could be used.
    bool isActive() const { return m_connection != nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    quint32 atom(const char* name) const;
    bool wmSupports(quint32 atom) const;
    void writeAccessoryHints(quint32 window);
    // The 32-bit values of a property of the given type (atoms, windows).
    QVector<quint32> atomList(quint32 window, quint32 property, quint32 type) const;
    // Restacks a window kept above another that the window manager left under it.
    void restackOwnedWindows();
    // Puts the dock first among the window's types.
    void writeDockType(quint32 window);
    // A client message about `window` to the root window, where the window manager listens.
    void sendToRoot(quint32 window, quint32 type, const std::array<quint32, 4>& data);
    void requestAccessoryState(quint32 window);
    void clearInputShape(quint32 window);
    void writeOwner(QWindow* window);
    void readCompositor();

    xcb_connection_t* m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_compositorSelection = 0;
    quint8 m_xfixesFirstEvent = 0;
    bool m_hasXfixes = false;
    bool m_hasShape = false;
    bool m_compositor = false;
    QSet<QWindow*> m_accessories;
    QSet<QWindow*> m_pointerThrough;
    QHash<QWindow*, QPointer<QWindow>> m_owners;
    // Raising a window kept above its owner, once the stacking has settled after a change.
    static constexpr int restackSettleMs = 30;
    static constexpr int maxRestackAttempts = 3;
    QTimer m_restackCheck;
    int m_restackAttempts = 0;
    mutable QHash<QByteArray, quint32> m_atoms;
};
