#pragma once

#include "Brimlark/controls/CameraMirrorService.h"

#include <QObject>
#include <QPointer>

class Screens;
class QWidget;

// Shows the camera mirror in a small panel under the notch or in a window of its own, following
// the mirror's on state and placement; inline placement shows no window.
class MirrorWindowManager : public QObject {
    Q_OBJECT
public:
    MirrorWindowManager(CameraMirrorService& mirror, Screens& screens, QObject* parent = nullptr);
    ~MirrorWindowManager() override;

    // Follows the mirror from now on, starting with its current state (on a later turn).
    void start();
    // Stops following and removes both windows.
    void stop();

    QWidget* popoverPanel() const { return m_popoverPanel; }
    QWidget* detachedWindow() const { return m_detachedWindow; }

    void apply(bool isActive, CameraMirrorService::Placement placement);

private:
    void schedule();
    void dropPopover();
    void dropDetached();

    CameraMirrorService& m_mirror;
    Screens& m_screens;
    QList<QMetaObject::Connection> m_connections;
    QPointer<QWidget> m_popoverPanel;
    QPointer<QWidget> m_detachedWindow;
};
