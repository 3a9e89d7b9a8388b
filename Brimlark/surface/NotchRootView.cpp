#include "Brimlark/surface/NotchRootView.h"

#include "Brimlark/core/AppState.h"
#include "Brimlark/core/NotchGeometry.h"
#include "Brimlark/core/NotchShape.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/pages/AdvancedModeView.h"
#include "Brimlark/pages/BasicModeView.h"
#include "Brimlark/shelf/FileShelfOverlay.h"
#include "Brimlark/shelf/FileShelfService.h"
#include "Brimlark/surface/HoverTrackingView.h"
#include "Brimlark/surface/NotchRim.h"
#include "Brimlark/surface/NotchTapCatcher.h"
#include "platform/Accessibility.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QGraphicsOpacityEffect>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {
bool isClosed(const InteractionEngine::Mode& mode) {
    return mode.kind() == InteractionEngine::Mode::Kind::hidden ||
           mode.kind() == InteractionEngine::Mode::Kind::peek;
}
} // namespace

NotchRootView::NotchRootView(const PanelServices& services, Inputs inputs, const Screens& screens,
                             QWidget* parent)
    : QWidget(parent), m_services(services), m_inputs(std::move(inputs)), m_screens(screens),
      m_shownMode(m_inputs.interactionEngine->mode()) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAcceptDrops(true);

    m_content = new QWidget(this);
    auto* contentLayout = new QVBoxLayout(m_content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(0);

    m_hoverTracker = new HoverTrackingView(this);
    m_tapCatcher = new NotchTapCatcher(
        [this] { m_inputs.interactionEngine->open(InteractionEngine::InteractionTrigger::click); }, this);

    connect(m_inputs.interactionEngine, &InteractionEngine::modeChanged, this,
            [this](const InteractionEngine::Mode& mode) {
                const bool paging = m_shownMode.kind() == InteractionEngine::Mode::Kind::advanced &&
                                    mode.kind() == InteractionEngine::Mode::Kind::advanced;
                m_shownMode = mode;
                // Paging keeps the advanced view, which slides the new page in.
                if (auto* advanced = qobject_cast<AdvancedModeView*>(m_modeView.data()); paging && advanced)
                    advanced->setPage(mode.page());
                else
                    rebuildModeView();
            });
    connect(m_services.appState, &AppState::hoverToPeekEnabledChanged, this,
            &NotchRootView::updateHoverTracker);

    m_hoverTracker->setEntryArea([this](const QPoint& position) { return hoverOpensAt(position); });
    updateHoverTracker();
    rebuildModeView();
}

bool NotchRootView::hasCompactStatus() const {
    return m_inputs.hasCompactStatus && m_inputs.hasCompactStatus();
}

ScreenDescription NotchRootView::screen() const {
    if (const auto main = m_screens.mainScreen())
        return *main;
    if (const auto deepest = m_screens.deepestScreen())
        return *deepest;
    return {};
}

bool NotchRootView::hasPhysicalNotch() const {
    return screen().topSafeAreaInset > 0;
}

QSizeF NotchRootView::currentNotchSize() const {
    return notchSize(screen());
}

int NotchRootView::contentTopInset() const {
    if (isClosed(m_shownMode))
        return 0;
    return hasPhysicalNotch() ? 34 : 26;
}

bool NotchRootView::hoverOpensAt(const QPoint& position) const {
    if (!isClosed(m_shownMode) || !hasCompactStatus())
        return true;
    const QSizeF notch = currentNotchSize();
    const QRectF notchFrame(QPointF((width() - notch.width()) / 2.0, 0), notch);
    return notchHoverRegion(notchFrame).contains(QPointF(position));
}

void NotchRootView::refresh() {
    // Only the closed panel shows the status; an open one keeps its views (and what was typed).
    if (isClosed(m_shownMode))
        rebuildModeView();
    else
        updateHitTesting();
}

void NotchRootView::rebuildModeView() {
    // The old views may be inside the very click that changed the mode: they go on a later turn.
    if (m_modeView) {
        m_content->layout()->removeWidget(m_modeView);
        m_modeView->hide();
        m_modeView->deleteLater();
    }
    if (m_shelfOverlay) {
        m_shelfOverlay->hide();
        m_shelfOverlay->deleteLater();
        m_shelfOverlay = nullptr;
    }

    const bool notched = hasPhysicalNotch();
    const QSizeF notch = currentNotchSize();
    QWidget* view = nullptr;
    switch (m_shownMode.kind()) {
    case InteractionEngine::Mode::Kind::hidden:
    case InteractionEngine::Mode::Kind::peek:
        if (hasCompactStatus() && m_inputs.makeCompactStatusView)
            view = m_inputs.makeCompactStatusView(m_content, notched, notch);
        break;
    case InteractionEngine::Mode::Kind::basic: {
        BasicModeView::Inputs basic;
        basic.hasPhysicalNotch = notched;
        basic.notchSize = notch;
        basic.onAdvancedRequested = [this] { openAdvanced(); };
        basic.onOpenSettings = m_inputs.onOpenSettings;
        basic.onQuickAction = m_inputs.onQuickAction;
        basic.onMediaPlayPause = m_inputs.onMediaPlayPause;
        basic.onMediaNext = m_inputs.onMediaNext;
        basic.onMediaPrev = m_inputs.onMediaPrev;
        view = new BasicModeView(m_services, std::move(basic), m_content);
        if (m_services.fileShelf)
            m_shelfOverlay = new FileShelfOverlay(*m_services.fileShelf, this);
        break;
    }
    case InteractionEngine::Mode::Kind::advanced: {
        AdvancedModeView::Inputs advanced;
        advanced.interactionEngine = m_inputs.interactionEngine;
        advanced.onOpenSettings = m_inputs.onOpenSettings;
        advanced.hasPhysicalNotch = notched;
        advanced.notchSize = notch;
        advanced.page = m_shownMode.page();
        advanced.onClose = [this] { closePanel(); };
        view = new AdvancedModeView(m_services, std::move(advanced), m_content);
        break;
    }
    }
    m_modeView = view;
    if (view) {
        m_content->layout()->addWidget(view);
        view->show();
        if (!isClosed(m_shownMode))
            fadeIn(view);
    }
    if (m_shelfOverlay)
        m_shelfOverlay->show();
    layoutLayers();
    updateHitTesting();
}

void NotchRootView::fadeIn(QWidget* view) {
    if (m_services.accessibility && m_services.accessibility->reduceMotion())
        return;
    auto* effect = new QGraphicsOpacityEffect(view);
    effect->setOpacity(0.0);
    view->setGraphicsEffect(effect);
    auto* animation = new QVariantAnimation(view);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(180);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(animation, &QVariantAnimation::valueChanged, effect,
            [effect](const QVariant& value) { effect->setOpacity(value.toDouble()); });
    // The effect costs a redirection of every paint, so it goes once the fade is over.
    connect(animation, &QVariantAnimation::finished, view, [view] { view->setGraphicsEffect(nullptr); });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void NotchRootView::updateHitTesting() {
    // The shelf's drop area keeps its own hit area: its summary row only.
    m_tapCatcher->setCatching(m_shownMode.kind() == InteractionEngine::Mode::Kind::hidden &&
                              !hasCompactStatus());
}

void NotchRootView::updateHoverTracker() {
    m_hoverTracker->configure(m_services.appState->hoverToPeekEnabled(),
                              [this](bool inside) { m_inputs.interactionEngine->hover(inside); });
}

void NotchRootView::openAdvanced() {
    const int page = m_services.appState->lastAdvancedPage();
    m_inputs.interactionEngine->setLastOpenTrigger(InteractionEngine::InteractionTrigger::gesture);
    m_inputs.interactionEngine->setMode(InteractionEngine::Mode::advanced(page));
}

void NotchRootView::closePanel() {
    m_inputs.interactionEngine->setLastOpenTrigger(std::nullopt);
    m_inputs.interactionEngine->setSuppressHoverActivationUntilExit(false);
    m_inputs.interactionEngine->setMode(InteractionEngine::Mode::hidden());
}

void NotchRootView::layoutLayers() {
    const QRect all = rect();
    m_content->setGeometry(all);
    m_content->layout()->setContentsMargins(0, contentTopInset(), 0, 0);
    if (m_shelfOverlay)
        m_shelfOverlay->setGeometry(all);
    m_hoverTracker->setGeometry(all);
    m_tapCatcher->setGeometry(all);
    // Back to front: content, shelf drop area, hover tracker, click catcher.
    if (m_shelfOverlay)
        m_shelfOverlay->raise();
    m_hoverTracker->raise();
    m_tapCatcher->raise();
}

void NotchRootView::resizeEvent(QResizeEvent*) {
    layoutLayers();
}

void NotchRootView::mousePressEvent(QMouseEvent* event) {
    m_closedPressed =
        event->button() == Qt::LeftButton && m_shownMode.kind() == InteractionEngine::Mode::Kind::hidden;
    if (!m_closedPressed) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
}

void NotchRootView::mouseReleaseEvent(QMouseEvent* event) {
    const bool tapped = m_closedPressed && event->button() == Qt::LeftButton &&
                        m_shownMode.kind() == InteractionEngine::Mode::Kind::hidden &&
                        rect().contains(event->position().toPoint());
    m_closedPressed = false;
    if (!tapped) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    m_inputs.interactionEngine->open(InteractionEngine::InteractionTrigger::click);
}

void NotchRootView::dragEnterEvent(QDragEnterEvent* event) {
    if (FileShelfOverlay::localFiles(event->mimeData()).isEmpty() || !m_services.fileShelf) {
        event->ignore();
        return;
    }
    if (isClosed(m_shownMode)) {
        // The closed notch takes no drop; it opens the basic panel, which does.
        m_openedByDrag = true;
        m_inputs.interactionEngine->setLastOpenTrigger(InteractionEngine::InteractionTrigger::hover);
        m_inputs.interactionEngine->setMode(InteractionEngine::Mode::basic());
    }
    event->acceptProposedAction();
    if (m_shelfOverlay)
        m_shelfOverlay->setTargeted(true);
}

void NotchRootView::dragMoveEvent(QDragMoveEvent* event) {
    if (!m_shelfOverlay && !m_openedByDrag) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (m_shelfOverlay)
        m_shelfOverlay->setTargeted(true);
}

void NotchRootView::dragLeaveEvent(QDragLeaveEvent*) {
    if (m_shelfOverlay)
        m_shelfOverlay->setTargeted(false);
    if (m_openedByDrag) {
        m_openedByDrag = false;
        if (m_shownMode.kind() == InteractionEngine::Mode::Kind::basic)
            closePanel();
    }
}

void NotchRootView::dropEvent(QDropEvent* event) {
    m_openedByDrag = false;
    if (!m_shelfOverlay) {
        event->ignore();
        return;
    }
    m_shelfOverlay->setTargeted(false);
    if (m_shelfOverlay->handleDrop(event->mimeData()->urls()))
        event->acceptProposedAction();
    else
        event->ignore();
}

const QPixmap& NotchRootView::backdrop() {
    const qreal ratio = devicePixelRatioF();
    const bool notched = hasPhysicalNotch();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_backdrop.size() == pixels && m_backdrop.devicePixelRatio() == ratio && m_backdropNotched == notched)
        return m_backdrop;
    m_backdrop = QPixmap(pixels);
    m_backdrop.setDevicePixelRatio(ratio);
    m_backdrop.fill(Qt::transparent);
    m_backdropNotched = notched;
    if (!m_backdrop.isNull()) {
        QPainter painter(&m_backdrop);
        paintBackdrop(painter, QRectF(rect()), notched);
    }
    return m_backdrop;
}

void NotchRootView::paintEvent(QPaintEvent* event) {
    const QPixmap& picture = backdrop();
    if (picture.isNull())
        return;
    // The window is cleared to transparent under every repaint, so the picture drawn over it gives
    // the very pixels drawing the outline here would.
    const QRectF dirty = event->rect();
    const qreal ratio = picture.devicePixelRatio();
    QPainter painter(this);
    painter.drawPixmap(dirty, picture, QRectF(dirty.topLeft() * ratio, dirty.size() * ratio));
}

void NotchRootView::paintBackdrop(QPainter& painter, const QRectF& bounds, bool notched) {
    painter.setRenderHint(QPainter::Antialiasing);
    const NotchShape shape{28, 24, notched, 0};
    const QPainterPath outline = shape.path(bounds);
    painter.setClipPath(outline);

    painter.fillPath(outline, QBrush(BrimlarkTheme::panelGradient()));

    QLinearGradient sheen(bounds.bottomLeft(), bounds.topLeft());
    QColor faint(255, 255, 255);
    faint.setAlphaF(0.02f);
    QColor top(255, 255, 255);
    top.setAlphaF(0.08f);
    sheen.setColorAt(0.0, Qt::transparent);
    sheen.setColorAt(1.0 / 3.0, Qt::transparent);
    sheen.setColorAt(2.0 / 3.0, faint);
    sheen.setColorAt(1.0, top);
    painter.fillPath(outline, sheen);

    // Hairlines inside the outline: a pen centred on a path inset by half its width stays inside.
    // They leave out the top edge, which meets the screen's edge; a light line there is a seam.
    QPen pen(Qt::SolidLine);
    pen.setWidthF(1.0);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setMiterLimit(10);
    QColor hairline(255, 255, 255);
    hairline.setAlphaF(0.06f);
    pen.setColor(hairline);
    painter.strokePath(notchRim(shape.inset(0.5), bounds), pen);
    QColor rim = BrimlarkTheme::strokeStrong();
    rim.setAlphaF(rim.alphaF() * 0.65f);
    pen.setColor(rim);
    painter.strokePath(notchRim(shape.inset(1.0), bounds), pen);
}
