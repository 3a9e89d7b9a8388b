#include "Brimlark/shell/NotchWindowManager.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/controls/MediaService.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/Logging.h"
#include "Brimlark/core/NotchGeometry.h"
#include "Brimlark/core/NotchShape.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/shell/NotchPanel.h"
#include "Brimlark/surface/CompactLiveStatusStore.h"
#include "Brimlark/surface/NotchHalo.h"
#include "platform/Accessibility.h"
#include "platform/DesktopWindows.h"
#include "platform/GlobalInput.h"

#include <QGuiApplication>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>
#include <utility>

namespace {
using Kind = InteractionEngine::Mode::Kind;

bool isOpen(const InteractionEngine::Mode& mode) {
    return mode.kind() == Kind::basic || mode.kind() == Kind::advanced;
}

// How long after an opening from a menu a focus loss is still that opening's own doing:
// Qt on xcb reports a focus loss 400 ms late and the watcher confirms it 100 ms after that.
constexpr qint64 openingFocusGraceMs = 1000;

QRect toPixels(const QRectF& frame) {
    return QRect(static_cast<int>(std::lround(frame.x())), static_cast<int>(std::lround(frame.y())),
                 static_cast<int>(std::lround(frame.width())), static_cast<int>(std::lround(frame.height())));
}
} // namespace

NotchWindowManager::NotchWindowManager(const PanelServices& services, NotchRootView::Inputs inputs,
                                       Screens& screens, GlobalInput& globalInput,
                                       DesktopWindows* desktopWindows, QObject* parent)
    : QObject(parent), m_services(services), m_inputs(std::move(inputs)), m_screens(screens),
      m_globalInput(globalInput), m_desktopWindows(desktopWindows), m_engine(*m_inputs.interactionEngine) {}

NotchWindowManager::~NotchWindowManager() {
    teardown();
}

QSizeF NotchWindowManager::panelSize(const InteractionEngine::Mode& mode, bool hasCompactStatus,
                                     const QSizeF& notch) {
    switch (mode.kind()) {
    case Kind::advanced:
        return {720, 468};
    case Kind::basic:
        return {724, 388};
    case Kind::hidden:
    case Kind::peek:
        break;
    }
    return hasCompactStatus ? QSizeF(356, 102) : notch;
}

QRectF NotchWindowManager::closedHoverRegion(const ScreenDescription& screen) {
    return notchHoverRegion(notchPanelFrame(screen, notchSize(screen)));
}

bool NotchWindowManager::hasCompactStatus() const {
    return m_inputs.hasCompactStatus && m_inputs.hasCompactStatus();
}

double NotchWindowManager::restingAlpha() const {
    return PanelAnimationProfile::choose(false, m_services.appState->animationIntensity()).targetAlpha;
}

PanelAnimationProfile NotchWindowManager::animationProfile() const {
    const bool reduceMotion = m_services.accessibility && m_services.accessibility->reduceMotion();
    return PanelAnimationProfile::choose(reduceMotion, m_services.appState->animationIntensity());
}

std::optional<ScreenDescription> NotchWindowManager::screenContaining(const QPoint& position) const {
    const QList<ScreenDescription> all = m_screens.screens();
    for (const ScreenDescription& screen : all) {
        if (screen.frame.contains(position))
            return screen;
    }
    return std::nullopt;
}

std::optional<ScreenDescription> NotchWindowManager::resolveCurrentScreen() const {
    const QList<ScreenDescription> all = m_screens.screens();
    if (all.isEmpty())
        return std::nullopt;
    // The screen we were on counts as preferred only while it is still attached.
    std::optional<ScreenDescription> preferred;
    if (m_currentScreen) {
        for (const ScreenDescription& screen : all) {
            if (screen.name == m_currentScreen->name)
                preferred = screen;
        }
    }
    if (!preferred)
        preferred = m_screens.mainScreen();
    return notchScreen(m_screens, preferred);
}

void NotchWindowManager::setup() {
    if (m_panel)
        return;
    m_currentScreen = m_screens.screens().isEmpty()
                          ? std::nullopt
                          : std::optional<ScreenDescription>(notchScreen(m_screens, m_screens.mainScreen()));

    const ScreenDescription screen = m_currentScreen.value_or(ScreenDescription{});
    const QSizeF notch = notchSize(screen);
    m_targetFrame = toPixels(notchPanelFrame(screen, notch));
    m_panel = new NotchPanel(m_targetFrame);
    m_hostingView = new NotchRootView(m_services, m_inputs, m_screens, m_panel);
    // The root view fills the panel in both directions as it grows and shrinks.
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_hostingView);
    m_panelOpen = false;
    connect(m_panel, &NotchPanel::pressed, this, &NotchWindowManager::handlePanelPressed);
    connect(m_panel, &NotchPanel::released, this, [this] {
        // After the views under the pointer have handled the click.
        QMetaObject::invokeMethod(this, &NotchWindowManager::handleClickEnded, Qt::QueuedConnection);
    });
    connect(m_panel, &NotchPanel::resized, this, &NotchWindowManager::updateShape);
    connect(m_panel, &NotchPanel::escapePressed, this, &NotchWindowManager::closeFromKeyboard);
    if (m_desktopWindows) {
        m_desktopWindows->makeAccessory(m_panel->windowHandle());
        m_cancellables.append(connect(m_desktopWindows, &DesktopWindows::compositorRunningChanged, this,
                                      &NotchWindowManager::updateShape));
    }
    updateShape();
    setupHaloWindow();
    // The closed panel never takes the keyboard: the user is typing somewhere else.
    if (m_currentScreen) {
        m_panel->orderFrontRegardless();
        if (m_haloWindow)
            m_haloWindow->followShown(true);
    } else {
        qCInfo(lcApp, "no screen attached; the notch panel stays hidden");
    }
    observeModeAndContent();
    watchScreensAndPointer();
}

void NotchWindowManager::setupHaloWindow() {
    if (!m_inputs.makeHaloView)
        return;
    NotchHalo* halo =
        m_inputs.makeHaloView(nullptr, [view = m_hostingView] { return view && view->hasPhysicalNotch(); });
    if (!halo)
        return;
    m_haloWindow = new NotchHaloWindow(halo, m_desktopWindows);
    m_haloWindow->followFrame(m_panel->geometry());
    m_haloWindow->followOpacity(m_panel->windowOpacity());
    connect(m_panel, &NotchPanel::frameChanged, m_haloWindow, &NotchHaloWindow::followFrame);
    connect(m_panel, &NotchPanel::opacityChanged, m_haloWindow, &NotchHaloWindow::followOpacity);
}

void NotchWindowManager::relayoutForScreen() {
    updateShape();
    if (m_haloWindow)
        m_haloWindow->relayout();
}

void NotchWindowManager::observeModeAndContent() {
    m_cancellables.append(connect(&m_engine, &InteractionEngine::modeChanged, this,
                                  [this] { m_modeChangedByClick = m_clickInProgress; }));
    m_cancellables.append(connect(
        &m_engine, &InteractionEngine::modeChanged, this,
        [this](const InteractionEngine::Mode& mode) { applyMode(mode, true); }, Qt::QueuedConnection));
    if (m_services.timer)
        m_cancellables.append(connect(m_services.timer, &TimerService::activeChanged, this,
                                      &NotchWindowManager::refreshClosedFrame, Qt::QueuedConnection));
    if (m_services.media)
        m_cancellables.append(connect(m_services.media, &MediaService::nowPlayingChanged, this,
                                      &NotchWindowManager::refreshClosedFrame, Qt::QueuedConnection));
    if (m_services.calendar)
        m_cancellables.append(connect(m_services.calendar, &CalendarService::nextEventChanged, this,
                                      &NotchWindowManager::refreshClosedFrame, Qt::QueuedConnection));
    if (m_services.aiHooks)
        m_cancellables.append(connect(m_services.aiHooks, &AIHooksService::eventsChanged, this,
                                      &NotchWindowManager::refreshClosedFrame, Qt::QueuedConnection));
    if (m_inputs.compactStatus) {
        // The store publishes every second; only a different status rebuilds the closed content
        // and re-sizes the panel.
        m_shownCompactStatus = m_inputs.compactStatus->current();
        m_cancellables.append(connect(
            m_inputs.compactStatus, &CompactLiveStatusStore::currentChanged, this,
            [this](const std::optional<CompactLiveStatus>& status) {
                if (status == m_shownCompactStatus)
                    return;
                m_shownCompactStatus = status;
                if (m_hostingView)
                    m_hostingView->refresh();
                refreshClosedFrame();
            },
            Qt::QueuedConnection));
    }
    // Subscribing delivers the current values too: the panel takes its closed size on the next turn.
    QMetaObject::invokeMethod(this, &NotchWindowManager::refreshClosedFrame, Qt::QueuedConnection);
}

void NotchWindowManager::watchScreensAndPointer() {
    m_screenObserver = connect(&m_screens, &Screens::screensChanged, this,
                               &NotchWindowManager::handleScreenChange, Qt::QueuedConnection);
    m_monitors.append(connect(
        &m_globalInput, &GlobalInput::pointerMoved, this,
        [this](const QPoint&) { handlePointer(m_globalInput.pointerPosition()); }, Qt::QueuedConnection));
    m_monitors.append(connect(&m_globalInput, &GlobalInput::mouseDownOutside, this,
                              &NotchWindowManager::handleMouseDown, Qt::QueuedConnection));
    if (!m_globalInput.start())
        qCInfo(lcApp, "global pointer input unavailable; hover and outside clicks are not watched");
}

void NotchWindowManager::teardown() {
    disconnect(m_screenObserver);
    m_screenObserver = {};
    for (const QMetaObject::Connection& monitor : std::as_const(m_monitors))
        disconnect(monitor);
    if (!m_monitors.isEmpty())
        m_globalInput.stop();
    m_monitors.clear();
    stopAnimations();
    if (m_haloWindow) {
        m_haloWindow->hide();
        m_haloWindow->deleteLater();
    }
    m_haloWindow.clear();
    if (m_panel) {
        m_panel->hide();
        m_panel->deleteLater();
    }
    m_panel.clear();
    m_appliedMode.reset();
    for (const QMetaObject::Connection& observer : std::as_const(m_cancellables))
        disconnect(observer);
    m_cancellables.clear();
}

void NotchWindowManager::stopAnimations() {
    if (m_frameAnimation)
        m_frameAnimation->stop();
    if (m_fadeAnimation)
        m_fadeAnimation->stop();
}

void NotchWindowManager::refreshClosedFrame() {
    const InteractionEngine::Mode mode = m_engine.mode();
    if (!isOpen(mode))
        applyMode(mode, true);
}

void NotchWindowManager::applyMode(const InteractionEngine::Mode& mode, bool animated) {
    if (!m_panel)
        return;
    if (!m_currentScreen) {
        // Without a screen there is nowhere to hang the panel.
        m_panel->hide();
        if (m_haloWindow)
            m_haloWindow->followShown(false);
        m_appliedMode.reset();
        return;
    }
    const ScreenDescription& screen = *m_currentScreen;
    const QSizeF size = panelSize(mode, hasCompactStatus(), notchSize(screen));
    const QRect target = toPixels(notchPanelFrame(screen, size));
    const double targetAlpha = restingAlpha();
    const bool animating = (m_frameAnimation && m_frameAnimation->state() == QAbstractAnimation::Running) ||
                           (m_fadeAnimation && m_fadeAnimation->state() == QAbstractAnimation::Running);
    const bool settled =
        m_panel->geometry() == target && m_panel->windowOpacity() == targetAlpha && !animating;
    // The closed panel already where it should be, or on its way there, is left alone: moving,
    // fading or raising it again changes nothing on screen and costs the window system a round.
    const bool sameMode = m_appliedMode == mode && !isOpen(mode) && m_panel->isVisible();
    if (sameMode && target == m_targetFrame && (settled || (animated && animating)))
        return;
    m_appliedMode = mode;
    m_targetFrame = target;
    stopAnimations();
    if (!animated || settled) {
        if (m_panel->geometry() != target)
            m_panel->setGeometry(target);
        if (m_panel->windowOpacity() != targetAlpha)
            m_panel->setPanelOpacity(targetAlpha);
    } else {
        animateTo(target, animationProfile());
    }

    const bool wasOpen = m_panelOpen;
    m_panelOpen = isOpen(mode);
    const bool byHover = m_engine.lastOpenTrigger() == InteractionEngine::InteractionTrigger::hover;
    // Paging or expanding the open panel with a click on its controls is no opening.
    const bool byPanelClick = std::exchange(m_modeChangedByClick, false) && wasOpen;
    // Whoever types when the panel opens gets the keyboard back when it closes, even when a later
    // click lets the window manager hand the keyboard to the panel before the press reaches us.
    if (m_panelOpen && !wasOpen)
        rememberFocus();
    if (m_panelOpen && !byHover && !byPanelClick && (!wasOpen || !panelHasFocus())) {
        rememberFocus();
        takeKeyboard();
        raiseHaloWindow();
        return;
    }
    m_panel->orderFrontRegardless();
    raiseHaloWindow();
    if (wasOpen && !m_panelOpen) {
        restoreFocus();
        // The closed panel, and the next panel a hover opens, leave the keyboard alone again.
        m_panel->setTakesKeyboard(false);
    }
}

void NotchWindowManager::takeKeyboard() {
    m_panel->orderFrontAndFocus();
    // Qt asks in the program's own name with the time of the last event it saw, which may be long
    // past when the request comes over D-Bus (a tray menu drawn by the desktop) or after a menu
    // of ours closed: a window manager that guards against focus stealing then refuses. The
    // desktop is asked again, as the pager does for a user's choice.
    if (m_desktopWindows) {
        const quint64 id = m_desktopWindows->idOf(m_panel->windowHandle());
        if (id != 0 && m_desktopWindows->focusedWindow() != id)
            m_desktopWindows->giveFocus(id);
    }
}

void NotchWindowManager::raiseHaloWindow() {
    if (!m_haloWindow)
        return;
    m_haloWindow->followShown(true);
    // The glow stays over the panel it surrounds.
    m_haloWindow->raiseOverPanel();
}

bool NotchWindowManager::panelHasFocus() const {
    if (!m_panel)
        return false;
    QWindow* window = m_panel->windowHandle();
    if (m_desktopWindows) {
        const quint64 id = m_desktopWindows->idOf(window);
        if (id != 0)
            return m_desktopWindows->focusedWindow() == id;
    }
    return window && QGuiApplication::focusWindow() == window;
}

void NotchWindowManager::rememberFocus() {
    if (!m_desktopWindows || !m_panel)
        return;
    const quint64 focused = m_desktopWindows->focusedWindow();
    if (focused != 0 && focused != m_desktopWindows->idOf(m_panel->windowHandle()))
        m_focusToRestore = focused;
}

void NotchWindowManager::restoreFocus() {
    m_sinceKeyboardOpening.invalidate();
    if (!m_desktopWindows || m_focusToRestore == 0 || !panelHasFocus())
        return;
    const quint64 target = m_focusToRestore;
    m_focusToRestore = 0;
    m_desktopWindows->giveFocus(target);
}

void NotchWindowManager::handlePanelPressed(QWidget* target, Qt::MouseButton button) {
    m_pressWithoutKeyboard = false;
    // The panel is the program's own window, which the desktop-wide press watch leaves alone: a
    // right click on it, closed or open, is seen here. A control with a right click of its own (the
    // timer's lengths) keeps it.
    if (button == Qt::RightButton) {
        if (m_inputs.onOpenSettings && !NotchPanel::takesRightClick(target))
            m_inputs.onOpenSettings();
        return;
    }
    m_clickInProgress = true;
    if (!m_panel || !isOpen(m_engine.mode()) || panelHasFocus())
        return;
    rememberFocus();
    if (NotchPanel::takesText(target)) {
        takeKeyboard();
        return;
    }
    // Play, the quick actions, the dots, the chevrons: the user goes on typing where they were.
    m_pressWithoutKeyboard = true;
    m_focusAtPress = m_panel->focusWidget();
}

void NotchWindowManager::handleClickEnded() {
    m_clickInProgress = false;
    if (!m_pressWithoutKeyboard || !m_panel)
        return;
    m_pressWithoutKeyboard = false;
    // The click opened a field (the calculator, search) and put the panel's focus there.
    QWidget* focused = m_panel->focusWidget();
    if (focused && focused != m_focusAtPress && focused->isVisible() && NotchPanel::takesText(focused) &&
        isOpen(m_engine.mode()) && !panelHasFocus())
        takeKeyboard();
}

void NotchWindowManager::updateShape() {
    if (!m_desktopWindows || !m_panel || !m_panel->windowHandle())
        return;
    if (m_desktopWindows->compositorRunning()) {
        m_desktopWindows->setShape(m_panel->windowHandle(), QRegion());
        return;
    }
    // Without a compositor the translucent window's clear parts show black: the window itself is
    // cut to the outline the root view paints.
    const bool notched = m_hostingView && m_hostingView->hasPhysicalNotch();
    const NotchShape shape{28, 24, notched, 0};
    const QPainterPath outline = shape.path(QRectF(QPointF(0, 0), QSizeF(m_panel->size())));
    m_desktopWindows->setShape(m_panel->windowHandle(),
                               QRegion(outline.toFillPolygon().toPolygon(), Qt::WindingFill));
}

void NotchWindowManager::animateTo(const QRect& target, const PanelAnimationProfile& profile) {
    const int duration = static_cast<int>(std::lround(profile.duration * 1000.0));
    if (profile.shouldAnimateFrame) {
        auto* group = new QParallelAnimationGroup(this);
        auto* frame = new QPropertyAnimation(m_panel, "geometry", group);
        frame->setDuration(duration);
        frame->setEasingCurve(profile.timingFunction);
        frame->setEndValue(target);
        auto* alpha = new QPropertyAnimation(m_panel, "panelOpacity", group);
        alpha->setDuration(duration);
        alpha->setEasingCurve(profile.timingFunction);
        alpha->setEndValue(profile.targetAlpha);
        m_frameAnimation = group;
        group->start(QAbstractAnimation::DeleteWhenStopped);
        return;
    }
    if (m_panel->geometry() != target)
        m_panel->setGeometry(target);
    m_panel->setPanelOpacity(profile.crossfadeStartAlpha);
    auto* fade = new QPropertyAnimation(m_panel, "panelOpacity", this);
    fade->setDuration(duration);
    fade->setEasingCurve(profile.timingFunction);
    fade->setStartValue(profile.crossfadeStartAlpha);
    fade->setEndValue(profile.targetAlpha);
    m_fadeAnimation = fade;
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void NotchWindowManager::handlePointer(const QPoint& position) {
    const std::optional<ScreenDescription> screen = screenContaining(position);
    if (!screen) {
        if (m_hoverRegionActive) {
            m_hoverRegionActive = false;
            m_engine.hover(false);
        }
        return;
    }
    if (!m_currentScreen || *m_currentScreen != *screen) {
        m_currentScreen = screen;
        relayoutForScreen();
        applyMode(m_engine.mode(), false);
    }
    updateHoverRegion(position, *screen);
}

void NotchWindowManager::updateHoverRegion(const QPoint& position, const ScreenDescription& screen) {
    if (!m_services.appState->hoverToPeekEnabled()) {
        if (m_hoverRegionActive) {
            m_hoverRegionActive = false;
            m_engine.hover(false);
        }
        return;
    }
    const InteractionEngine::Mode mode = m_engine.mode();
    const QRectF region = m_panel && isOpen(mode) ? QRectF(m_panel->geometry()).adjusted(-10, -10, 10, 10)
                                                  : closedHoverRegion(screen);
    const bool inside = region.contains(QPointF(position));
    if (inside == m_hoverRegionActive)
        return;
    // The pointer nears the closed notch: note where the keyboard is before a click could move it.
    if (inside && !isOpen(mode))
        rememberFocus();
    m_hoverRegionActive = inside;
    m_engine.hover(inside);
}

void NotchWindowManager::handleMouseDown(Qt::MouseButton button, const QPoint& position) {
    if (!m_panel)
        return;
    const QRectF region = QRectF(m_panel->geometry()).adjusted(-4, -4, 4, 4);
    const bool inside = region.contains(QPointF(position));
    // A press in the margin around the panel went to the window under it: a right click there is
    // that window's (the desktop's menu), and opening the settings beside it would leave two
    // things answering one click. Only a right click on the panel itself opens them
    // (handlePanelPressed()); one in the margin leaves an open panel open.
    if (inside)
        return;
    // A focus loss right after an opening from the tray menu is the menu's own closing handing the
    // focus around, not the user leaving.
    if (button == Qt::NoButton && m_sinceKeyboardOpening.isValid() &&
        m_sinceKeyboardOpening.elapsed() < openingFocusGraceMs)
        return;
    if (isOpen(m_engine.mode())) {
        m_engine.setLastOpenTrigger(std::nullopt);
        m_engine.setSuppressHoverActivationUntilExit(false);
        m_engine.setMode(InteractionEngine::Mode::hidden());
    }
}

void NotchWindowManager::closeFromKeyboard() {
    // Only an open panel holds the keyboard; it closes as a click outside closes it.
    if (!isOpen(m_engine.mode()))
        return;
    m_engine.setLastOpenTrigger(std::nullopt);
    m_engine.setSuppressHoverActivationUntilExit(false);
    m_engine.setMode(InteractionEngine::Mode::hidden());
}

void NotchWindowManager::handleScreenChange() {
    m_currentScreen = resolveCurrentScreen();
    relayoutForScreen();
    applyMode(m_engine.mode(), false);
    if (m_currentScreen)
        updateHoverRegion(m_globalInput.pointerPosition(), *m_currentScreen);
}
