#include "Brimlark/controls/MirrorWindowManager.h"

#include "Brimlark/controls/MirrorPopoverContent.h"
#include "Brimlark/core/NotchGeometry.h"

#include <QVBoxLayout>
#include <QWidget>

MirrorWindowManager::MirrorWindowManager(CameraMirrorService& mirror, Screens& screens, QObject* parent)
    : QObject(parent), m_mirror(mirror), m_screens(screens) {}

MirrorWindowManager::~MirrorWindowManager() {
    stop();
}

void MirrorWindowManager::start() {
    m_connections.append(
        connect(&m_mirror, &CameraMirrorService::isActiveChanged, this, &MirrorWindowManager::schedule));
    m_connections.append(
        connect(&m_mirror, &CameraMirrorService::placementChanged, this, &MirrorWindowManager::schedule));
    schedule();
}

void MirrorWindowManager::schedule() {
    QMetaObject::invokeMethod(
        this, [this] { apply(m_mirror.isActive(), m_mirror.placement()); }, Qt::QueuedConnection);
}

void MirrorWindowManager::stop() {
    for (const QMetaObject::Connection& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    dropPopover();
    dropDetached();
}

void MirrorWindowManager::dropPopover() {
    delete m_popoverPanel.data();
}

void MirrorWindowManager::dropDetached() {
    delete m_detachedWindow.data();
}

void MirrorWindowManager::apply(bool isActive, CameraMirrorService::Placement placement) {
    using Placement = CameraMirrorService::Placement;
    if (placement != Placement::popover)
        dropPopover();
    if (placement != Placement::detached)
        dropDetached();
    if (!isActive) {
        dropPopover();
        dropDetached();
        return;
    }
    if (placement == Placement::inline_)
        return;
    if (placement == Placement::detached) {
        if (!m_detachedWindow) {
            auto* window = new QWidget(nullptr, Qt::Window);
            window->setAttribute(Qt::WA_TranslucentBackground);
            window->setWindowTitle(QStringLiteral("Brimlark — Mirror"));
            window->setGeometry(120, 120, 560, 340);
            auto* layout = new QVBoxLayout(window);
            layout->setContentsMargins(0, 0, 0, 0);
            m_detachedWindow = window;
        }
        delete m_detachedWindow->findChild<MirrorPopoverContent*>(QString(), Qt::FindDirectChildrenOnly);
        m_detachedWindow->layout()->addWidget(new MirrorPopoverContent(m_mirror, m_detachedWindow));
        m_detachedWindow->show();
        m_detachedWindow->raise();
        m_detachedWindow->activateWindow();
        return;
    }
    if (m_screens.screens().isEmpty())
        return;
    const ScreenDescription screen = notchScreen(m_screens, m_screens.mainScreen());
    const QRectF notch = notchPanelFrame(screen, notchSize(screen));
    if (!m_popoverPanel) {
        auto* panel = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                               Qt::WindowDoesNotAcceptFocus);
        panel->setAttribute(Qt::WA_TranslucentBackground);
        panel->setAttribute(Qt::WA_ShowWithoutActivating);
        m_popoverPanel = panel;
    }
    m_popoverPanel->setGeometry(QRectF(notch.center().x() - 110, notch.bottom() + 6, 220, 140).toRect());
    delete m_popoverPanel->findChild<MirrorPopoverContent*>(QString(), Qt::FindDirectChildrenOnly);
    auto* content = new MirrorPopoverContent(m_mirror, m_popoverPanel);
    content->setGeometry(m_popoverPanel->rect());
    content->show();
    m_popoverPanel->show();
    m_popoverPanel->raise();
}
