#pragma once

#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QVector>

#include <xcb/xcb.h>

class QWidget;

// The X server a test runs on, seen from a connection of the test's own: what the server holds
// about a window, input as another application's user gives it (XTest), and the window manager
// and compositor a test starts. Both end with this object, and with the test process if it dies.
class X11Desktop {
public:
    // How long a test waits for the server, the window manager or the compositor: generous, so a
    // loaded machine is slow rather than wrong.
    static constexpr int timeoutMs = 20000;

    // True when Qt runs on an X server (QT_QPA_PLATFORM=xcb with a DISPLAY), as `server` says.
    static bool available();
    static constexpr char server[] = "an X server (run under xvfb-run with QT_QPA_PLATFORM=xcb)";
    // True when `program` is on the search path.
    static bool installed(const QString& program);

    X11Desktop();
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    // True when the connection is up and the server has XTEST.
    bool connected() const;
    xcb_connection_t* connection() const { return m_x; }
    xcb_window_t root() const { return m_root; }

    xcb_atom_t atom(const char* name);
    // A 32-bit property of `window` (atoms, cardinals, windows); empty when it has none.
    QVector<quint32> property(xcb_window_t window, const char* name);
    bool viewable(xcb_window_t window);
    // Where the server has `window`, in root coordinates; empty when it has no such window.
    QRect geometry(xcb_window_t window);
    // True when the server has the top-level `window` where and as large as Qt has it: the window
    // manager has carried out its last move and resize, and a click lands where the widgets are.
    bool placed(QWidget* window);
    // A client message about `window` to the root window, where the window manager listens.
    void sendToRoot(xcb_window_t window, const char* type, const QVector<quint32>& data);

    void movePointer(const QPoint& position);
    // A press and a release of `button` (1 left, 3 right, 4 to 7 the wheel) where the pointer is.
    void clickButton(quint8 button);
    // Moves the pointer to `position`, lets it arrive, then clicks the left button.
    void click(const QPoint& position);
    // Types `keycode` (of Xvfb's default map), holding `modifier` (a keycode, 0 for none) around it.
    void typeKey(int keycode, int modifier = 0);

    // Starts openbox and waits until it manages the screen. False, with error(), when it is not
    // installed, exits or does not get there in time.
    bool startWindowManager();
    // True while a window manager holds the screen (the WM_S<screen> selection has an owner).
    bool windowManagerRunning();
    // Starts xcompmgr and waits until it composites the screen; stopCompositor() ends it and waits
    // until the screen is no longer composited.
    bool startCompositor();
    void stopCompositor();
    bool compositorRunning();
    QString error() const { return m_error; }

private:
    bool selectionOwned(const char* prefix);
    bool start(QProcess& process, const QString& program, const QStringList& arguments);
    void stop(QProcess& process);

    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_root = 0;
    int m_screen = 0;
    QProcess m_windowManager;
    QProcess m_compositor;
    QString m_error;
};
