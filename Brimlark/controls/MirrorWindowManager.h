#pragma once

#include "Brimlark/controls/CameraMirrorService.h"

#include <QObject>
#include <QPointer>
#include <QRectF>

class DesktopWindows;
class Screens;
class QWidget;

// Shows the camera mirror in a small panel under the notch (without a camera, a strip beside it
// that says so) or in a window of its own, following
// the mirror's on state and placement; inline placement shows no window. The panel is an accessory
// of the desktop like the notch panel (on every workspace, above other windows, outside the task
// bar, never taking the keyboard); the window is an ordinary one that its close button only hides
// and that moves when its picture is dragged. Both follow the screens: with no screen left the
// panel hides, and a new screen places it again.
class MirrorWindowManager : public QObject {
    Q_OBJECT
public:
    // `desktopWindows` may be null: the panel then gets no desktop hints.
    MirrorWindowManager(CameraMirrorService& mirror, Screens& screens,
                        DesktopWindows* desktopWindows = nullptr, QObject* parent = nullptr);
    ~MirrorWindowManager() override;

    // Follows the mirror from now on, starting with its current state (on a later turn).
    void start();
    // Stops following and removes both windows.
    void stop();

    QWidget* popoverPanel() const { return m_popoverPanel; }
    QWidget* detachedWindow() const { return m_detachedWindow; }

    void apply(bool isActive, CameraMirrorService::Placement placement);

    // The popover panel's frame for the notch's frame: the picture under the notch, or without a
    // camera a one-line message beside it.
    static QRectF popoverFrame(const QRectF& notch, bool noCamera);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void schedule();
    void showDetached();
    void showPopover();
    void dropPopover();
    void dropDetached();

    CameraMirrorService& m_mirror;
    Screens& m_screens;
    DesktopWindows* m_desktopWindows;
    QList<QMetaObject::Connection> m_connections;
    QPointer<QWidget> m_popoverPanel;
    QPointer<QWidget> m_detachedWindow;
};
