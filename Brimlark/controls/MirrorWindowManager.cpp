#include "Brimlark/controls/MirrorWindowManager.h"

#include "Brimlark/controls/MirrorPopoverContent.h"
#include "Brimlark/core/NotchGeometry.h"
#include "platform/DesktopWindows.h"

#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

namespace {
constexpr QSize popoverSize(220, 140);
constexpr int popoverGap = 6;
constexpr QSize noCameraSize(176, 26);
constexpr QSize windowSize(560, 340);
// The window's distance from the main screen's left and bottom edges when it first shows.
constexpr int windowMargin = 120;
} // namespace

MirrorWindowManager::MirrorWindowManager(CameraMirrorService& mirror, Screens& screens,
                                         DesktopWindows* desktopWindows, QObject* parent)
    : QObject(parent), m_mirror(mirror), m_screens(screens), m_desktopWindows(desktopWindows) {}

MirrorWindowManager::~MirrorWindowManager() {
    stop();
}

void MirrorWindowManager::start() {
    m_connections.append(
        connect(&m_mirror, &CameraMirrorService::isActiveChanged, this, &MirrorWindowManager::schedule));
    m_connections.append(
        connect(&m_mirror, &CameraMirrorService::placementChanged, this, &MirrorWindowManager::schedule));
    // A screen that comes or goes moves the panel under the notch, or hides it with no screen left.
    m_connections.append(connect(&m_screens, &Screens::screensChanged, this, &MirrorWindowManager::schedule));
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
    if (placement == Placement::detached)
        showDetached();
    else if (placement == Placement::popover)
        showPopover();
}

void MirrorWindowManager::showDetached() {
    if (!m_detachedWindow) {
        auto* window = new QWidget(nullptr, Qt::Window);
        window->setAttribute(Qt::WA_TranslucentBackground);
        window->setWindowTitle(QStringLiteral("Brimlark — Mirror"));
        // Low on the left of the main screen, out of the way of the notch.
        QPoint origin(windowMargin, windowMargin);
        const QList<ScreenDescription> screens = m_screens.screens();
        if (!screens.isEmpty()) {
            const QRect frame = m_screens.mainScreen().value_or(screens.first()).frame;
            origin = QPoint(frame.x() + windowMargin,
                            frame.y() + frame.height() - windowMargin - windowSize.height());
        }
        window->setGeometry(QRect(origin, windowSize));
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        // The picture takes no clicks: a press anywhere but the button drags the window.
        window->installEventFilter(this);
        m_detachedWindow = window;
    }
    delete m_detachedWindow->findChild<MirrorPopoverContent*>(QString(), Qt::FindDirectChildrenOnly);
    m_detachedWindow->layout()->addWidget(new MirrorPopoverContent(m_mirror, m_detachedWindow));
    m_detachedWindow->show();
    m_detachedWindow->raise();
    m_detachedWindow->activateWindow();
}

void MirrorWindowManager::showPopover() {
    if (m_screens.screens().isEmpty()) {
        dropPopover();
        return;
    }
    const ScreenDescription screen = notchScreen(m_screens, m_screens.mainScreen());
    const QRectF notch = notchPanelFrame(screen, notchSize(screen));
    if (!m_popoverPanel) {
        auto* panel = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                               Qt::WindowDoesNotAcceptFocus);
        panel->setAttribute(Qt::WA_TranslucentBackground);
        panel->setAttribute(Qt::WA_ShowWithoutActivating);
        panel->setAttribute(Qt::WA_X11NetWmWindowTypeDock);
        panel->setWindowTitle(QStringLiteral("Brimlark — Mirror"));
        if (m_desktopWindows) {
            panel->winId();
            m_desktopWindows->makeAccessory(panel->windowHandle());
        }
        m_popoverPanel = panel;
    }
    m_popoverPanel->setGeometry(popoverFrame(notch, m_mirror.hasNoCamera()).toRect());
    delete m_popoverPanel->findChild<MirrorPopoverContent*>(QString(), Qt::FindDirectChildrenOnly);
    auto* content = new MirrorPopoverContent(m_mirror, m_popoverPanel);
    content->setGeometry(m_popoverPanel->rect());
    content->show();
    m_popoverPanel->show();
    m_popoverPanel->raise();
}

QRectF MirrorWindowManager::popoverFrame(const QRectF& notch, bool noCamera) {
    // Without a picture there is nothing to see under the notch: the message sits beside it, on
    // the notch's strip, clear of whatever an open panel shows below.
    if (noCamera)
        return QRectF(QPointF(notch.right() + popoverGap, notch.center().y() - noCameraSize.height() / 2.0),
                      noCameraSize);
    return QRectF(QPointF(notch.center().x() - popoverSize.width() / 2.0, notch.bottom() + popoverGap),
                  popoverSize);
}

bool MirrorWindowManager::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_detachedWindow && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (QWindow* window = m_detachedWindow->windowHandle(); window && window->startSystemMove())
            return true;
    }
    return QObject::eventFilter(watched, event);
}
