#include "Brimlark/pages/BasicModeView.h"

#include "Brimlark/apps/AppLauncherService.h"
#include "Brimlark/controls/CameraMirrorService.h"
#include "Brimlark/controls/CameraPreview.h"
#include "Brimlark/controls/MicMuteService.h"
#include "Brimlark/controls/MirrorView.h"
#include "Brimlark/controls/TimerPickerPopover.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PanelIconButton.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/organizer/BasicCalendarPane.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/pages/BasicMediaPane.h"
#include "Brimlark/quickactions/InlineCalculatorPopover.h"
#include "Brimlark/quickactions/InlineSearchPopover.h"
#include "Brimlark/quickactions/QuickActionButton.h"
#include "Brimlark/quickactions/QuickActionsRow.h"
#include "Brimlark/quickactions/QuickActionsStore.h"
#include "platform/Accessibility.h"
#include "platform/Workspace.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {

constexpr int headerButtonDiameter = 36;
constexpr int inlineMirrorHeight = 122;
constexpr int bottomMargin = 42;
// The gap between the timer picker and the row it opens from, and its least distance from the
// view's sides.
constexpr int pickerGap = 6;
constexpr int pickerInset = 8;

PanelIconButton* headerButton(const QString& symbol, const QString& label, QWidget* parent) {
    auto* button = new PanelIconButton(symbol, label, headerButtonDiameter, parent);
    button->setSymbolColor(BrimlarkTheme::textPrimary());
    button->setFillOpacity(0.92);
    return button;
}

} // namespace

QString BasicModeView::searchAddressPrefix() {
    return QStringLiteral("https://www.google.com/search?q=");
}

int BasicModeView::mediaColumnWidth(int width) {
    const double raised = std::max(width * 0.31, 236.0);
    return static_cast<int>(std::lround(std::min(raised, 272.0)));
}

BasicModeView::BasicModeView(const PanelServices& services, Inputs inputs, QWidget* parent)
    : QWidget(parent), m_services(services), m_inputs(std::move(inputs)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(56, 28, 56, bottomMargin);
    layout->setSpacing(0);

    // Upper part: the next event takes the spare width, the media column a share of the panel.
    auto* upper = new QHBoxLayout();
    upper->setSpacing(28);
    if (m_services.calendar) {
        m_calendarPane = new BasicCalendarPane(*m_services.calendar, this);
    } else {
        m_calendarPane = new QWidget(this);
    }
    upper->addWidget(m_calendarPane, 1, Qt::AlignTop | Qt::AlignLeft);
    if (m_services.timer && m_services.media) {
        m_mediaPane = new BasicMediaPane(*m_services.timer, *m_services.media, m_inputs.onMediaPlayPause,
                                         m_inputs.onMediaNext, m_inputs.onMediaPrev, m_inputs.clock, this);
    } else {
        m_mediaPane = new QWidget(this);
    }
    m_mediaPane->setFixedWidth(mediaColumnWidth(width()));
    upper->addWidget(m_mediaPane, 0, Qt::AlignTop | Qt::AlignRight);
    m_calendarPane->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_mediaPane->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    layout->addLayout(upper, 1);

    // Lower part: the row line, then the inline slot and the inline mirror.
    layout->addSpacing(18);
    m_lower = new QVBoxLayout();
    m_lower->setSpacing(12);
    auto* rowLine = new QWidget(this);
    rowLine->setMinimumHeight(44);
    auto* rowLayout = new QHBoxLayout(rowLine);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(14);
    m_row = new QuickActionsRow(
        m_services.quickActions ? m_services.quickActions->enabledActions() : QList<QuickAction>{}, {},
        [this](QuickAction::Kind kind) { handleQuickAction(kind); }, rowLine);
    rowLayout->addWidget(m_row, 1, Qt::AlignLeft | Qt::AlignBottom);
    // The timer picker stays beside the timer wherever the row goes.
    m_row->installEventFilter(this);
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(12);
    m_settingsButton =
        headerButton(QStringLiteral("gearshape.fill"), QStringLiteral("open settings"), rowLine);
    m_advancedButton =
        headerButton(QStringLiteral("chevron.down"), QStringLiteral("open advanced mode"), rowLine);
    buttons->addWidget(m_settingsButton, 0, Qt::AlignVCenter);
    buttons->addWidget(m_advancedButton, 0, Qt::AlignVCenter);
    rowLayout->addLayout(buttons);
    rowLayout->setAlignment(buttons, Qt::AlignBottom);
    m_lower->addWidget(rowLine);
    // Why the last tap on a quick action did nothing, under the row where the user looks.
    m_problemLine = plainLabel(QString(), BrimlarkTheme::monoRegular12(), BrimlarkTheme::warning(), this);
    m_problemLine->setObjectName(QStringLiteral("quickActionProblem"));
    m_problemLine->hide();
    m_lower->addWidget(m_problemLine);
    layout->addLayout(m_lower);

    connect(m_settingsButton, &QAbstractButton::clicked, this, [this] {
        if (m_inputs.onOpenSettings)
            m_inputs.onOpenSettings();
    });
    connect(m_advancedButton, &QAbstractButton::clicked, this, &BasicModeView::requestAdvanced);
    m_advancedButton->installEventFilter(this);

    if (m_services.quickActions) {
        connect(m_services.quickActions, &QuickActionsStore::actionsChanged, this, [this] {
            m_row->setActions(m_services.quickActions->enabledActions());
            // A picker whose timer left the row has nothing to stand beside.
            if (m_inlineUtility == InlineUtility::timer && !m_row->button(QuickAction::Kind::timer))
                setInlineUtility(std::nullopt);
            placeTimerPicker();
            updateRow();
        });
        connect(m_services.quickActions, &QuickActionsStore::activeKindsChanged, this,
                &BasicModeView::updateRow);
    }
    if (m_services.timer) {
        connect(m_services.timer, &TimerService::activeChanged, this, &BasicModeView::updateRow);
        // A plain click starts 15 minutes or cancels; the picker offers the other lengths.
        m_row->setAlternate(QuickAction::Kind::timer,
                            QStringLiteral("right click or hold to pick 15, 30 or 60 minutes"),
                            [this] { toggleInlineUtility(InlineUtility::timer); });
    }
    if (m_services.mic) {
        // A mute that muted nothing says why on its button.
        connect(m_services.mic, &MicMuteService::problemChanged, this, [this](const QString& problem) {
            m_row->setProblem(QuickAction::Kind::muteMic, problem);
            showProblem(problem);
        });
        m_row->setProblem(QuickAction::Kind::muteMic, m_services.mic->problem());
    }
    if (m_services.mirror) {
        connect(m_services.mirror, &CameraMirrorService::isActiveChanged, this, [this] {
            updateMirror();
            updateRow();
            updateMirrorProblem();
        });
        connect(m_services.mirror, &CameraMirrorService::placementChanged, this,
                &BasicModeView::updateMirror);
    }
    updateMirror();
    updateMirrorProblem();
    updateRow();
}

void BasicModeView::updateMirrorProblem() {
    // The mirror's button, unlit without a camera, says why, as the mute's does.
    if (m_services.mirror)
        m_row->setProblem(QuickAction::Kind::mirror,
                          m_services.mirror->hasNoCamera() ? CameraPreview::noCameraText() : QString());
}

const BrimlarkAnimation& BasicModeView::motion() const {
    const bool reduce = m_services.accessibility && m_services.accessibility->reduceMotion();
    return reduce ? BrimlarkTheme::standardEase() : BrimlarkTheme::openSpring();
}

QSet<QuickAction::Kind> BasicModeView::activeKinds() const {
    QSet<QuickAction::Kind> kinds =
        m_services.quickActions ? m_services.quickActions->activeKinds() : QSet<QuickAction::Kind>{};
    const auto mark = [&kinds](QuickAction::Kind kind, bool on) {
        if (on)
            kinds.insert(kind);
        else
            kinds.remove(kind);
    };
    mark(QuickAction::Kind::timer, m_services.timer && m_services.timer->active().has_value());
    // A mirror without a camera shows only "no camera found": nothing is mirrored, so it is not on.
    mark(QuickAction::Kind::mirror,
         m_services.mirror && m_services.mirror->isActive() && !m_services.mirror->hasNoCamera());
    mark(QuickAction::Kind::calculator, m_inlineUtility == InlineUtility::calculator);
    mark(QuickAction::Kind::googleSearch, m_inlineUtility == InlineUtility::search);
    return kinds;
}

void BasicModeView::updateRow() {
    m_row->setActiveKinds(activeKinds());
}

void BasicModeView::handleQuickAction(QuickAction::Kind kind) {
    switch (kind) {
    case QuickAction::Kind::googleSearch:
        toggleInlineUtility(InlineUtility::search);
        return;
    case QuickAction::Kind::calculator:
        toggleInlineUtility(InlineUtility::calculator);
        return;
    case QuickAction::Kind::timer:
        if (!m_services.timer)
            return;
        if (m_inlineUtility == InlineUtility::timer)
            setInlineUtility(std::nullopt);
        if (m_services.timer->active())
            m_services.timer->cancel();
        else
            m_services.timer->start(900);
        return;
    case QuickAction::Kind::muteMic:
        // A mute that already failed says so at once; the toggle's answer replaces the line.
        showProblem(m_services.mic ? m_services.mic->problem() : QString());
        if (m_inputs.onQuickAction)
            m_inputs.onQuickAction(kind);
        return;
    case QuickAction::Kind::appLauncher:
        if (m_services.apps && m_services.apps->entries().isEmpty()) {
            const QString problem = QStringLiteral("add apps on the apps page");
            m_row->setProblem(kind, problem);
            showProblem(problem);
            return;
        }
        m_row->setProblem(kind, QString());
        showProblem(QString());
        if (m_inputs.onQuickAction)
            m_inputs.onQuickAction(kind);
        return;
    case QuickAction::Kind::dnd:
    case QuickAction::Kind::mirror:
    case QuickAction::Kind::focus:
        if (m_inputs.onQuickAction)
            m_inputs.onQuickAction(kind);
        return;
    }
}

void BasicModeView::showProblem(const QString& problem) {
    m_problemLine->setText(problem);
    m_problemLine->setVisible(!problem.isEmpty());
    // The line takes its room from the margin under the row, so the row stays where the pointer
    // found it.
    const int room = problem.isEmpty() ? 0 : m_problemLine->sizeHint().height() + m_lower->spacing();
    QMargins margins = layout()->contentsMargins();
    margins.setBottom(std::max(0, bottomMargin - room));
    layout()->setContentsMargins(margins);
}

QString BasicModeView::problemLine() const {
    return m_problemLine->isVisibleTo(this) ? m_problemLine->text() : QString();
}

void BasicModeView::toggleInlineUtility(InlineUtility utility) {
    setInlineUtility(m_inlineUtility == utility ? std::nullopt : std::optional<InlineUtility>(utility));
}

void BasicModeView::submitWebSearch() {
    const QString trimmed = m_searchQuery.trimmed();
    if (trimmed.isEmpty())
        return;
    // Only the unreserved characters stay as they are: "&", "=", "+" and "#" typed in the query are
    // words to search for, not parts of the address.
    const QByteArray encoded = QUrl::toPercentEncoding(trimmed);
    const QUrl url(searchAddressPrefix() + QString::fromLatin1(encoded), QUrl::StrictMode);
    if (!url.isValid())
        return;
    if (!m_services.workspace || !m_services.workspace->openUrl(url)) {
        // The card stays, query and all, and says so: closing it would look like a search that
        // opened somewhere out of sight.
        if (auto* search = qobject_cast<InlineSearchPopover*>(m_inlineWidget.data()))
            search->setMessage(QStringLiteral("nothing could open the link"));
        return;
    }
    setInlineUtility(std::nullopt);
}

void BasicModeView::setInlineUtility(std::optional<InlineUtility> utility) {
    if (m_inlineUtility == utility)
        return;
    if (m_inlineUtility == InlineUtility::timer)
        qApp->removeEventFilter(this);
    m_inlineUtility = utility;
    rebuildInlineSlot();
    updateRow();
}

void BasicModeView::rebuildInlineSlot() {
    // The old card may be inside the very click that closes it: it goes on a later turn.
    if (m_inlineWidget) {
        m_lower->removeWidget(m_inlineWidget);
        m_inlineWidget->hide();
        m_inlineWidget->deleteLater();
        m_inlineWidget = nullptr;
    }
    if (!m_inlineUtility)
        return;

    const auto close = [this] { setInlineUtility(std::nullopt); };
    QWidget* card = nullptr;
    QLineEdit* field = nullptr;
    switch (*m_inlineUtility) {
    case InlineUtility::calculator: {
        auto* calculator =
            new InlineCalculatorPopover(m_calculatorExpression, m_calculatorResult, close, this);
        connect(calculator, &InlineCalculatorPopover::expressionChanged, this,
                [this](const QString& expression) { m_calculatorExpression = expression; });
        connect(calculator, &InlineCalculatorPopover::resultChanged, this,
                [this](const QString& result) { m_calculatorResult = result; });
        field = calculator->field();
        card = calculator;
        break;
    }
    case InlineUtility::search: {
        auto* search = new InlineSearchPopover(
            m_searchQuery, [this] { submitWebSearch(); }, close, this);
        connect(search, &InlineSearchPopover::queryChanged, this,
                [this](const QString& query) { m_searchQuery = query; });
        field = search->field();
        card = search;
        break;
    }
    case InlineUtility::timer: {
        if (!m_services.timer)
            break;
        // A popover over the panel beside the timer, out of the layout: nothing else moves.
        auto* picker = new TimerPickerPopover(*m_services.timer, close, this);
        connect(picker, &TimerPickerPopover::dismissRequested, this, close);
        m_inlineWidget = picker;
        picker->show();
        picker->raise();
        placeTimerPicker();
        picker->focusFirstLength();
        // A press anywhere else in the panel closes it, as a popover does.
        qApp->installEventFilter(this);
        reveal(picker);
        return;
    }
    }
    if (!card)
        return;
    m_inlineWidget = card;
    m_lower->insertWidget(1, card);
    card->show();
    if (field)
        field->setFocus(Qt::OtherFocusReason);
    reveal(card);
}

void BasicModeView::placeTimerPicker() {
    auto* picker = qobject_cast<TimerPickerPopover*>(m_inlineWidget.data());
    QWidget* timer = m_row->button(QuickAction::Kind::timer);
    if (!picker || !timer)
        return;
    // Centred over the timer's button, just above the row, and inside the view.
    const QSize size = picker->sizeHint();
    const QPoint anchor = timer->mapTo(this, QPoint(timer->width() / 2, 0));
    const int top = m_row->mapTo(this, QPoint(0, 0)).y() - pickerGap - size.height();
    const int left = std::clamp(anchor.x() - size.width() / 2, pickerInset,
                                std::max(pickerInset, width() - pickerInset - size.width()));
    picker->setGeometry(QRect(QPoint(left, std::max(0, top)), size));
}

void BasicModeView::updateMirror() {
    const bool shown = m_services.mirror && m_services.mirror->isActive() &&
                       m_services.mirror->placement() == CameraMirrorService::Placement::inline_;
    if (shown == !m_mirrorView.isNull())
        return;
    if (!shown) {
        m_lower->removeWidget(m_mirrorView);
        m_mirrorView->hide();
        m_mirrorView->deleteLater();
        m_mirrorView = nullptr;
        return;
    }
    m_mirrorView = new MirrorView(*m_services.mirror, this);
    // Without a camera only a line says so, so the panel's content keeps its room.
    m_mirrorView->setFixedHeight(m_services.mirror->hasNoCamera() ? m_mirrorView->sizeHint().height()
                                                                  : inlineMirrorHeight);
    m_lower->addWidget(m_mirrorView);
    m_mirrorView->show();
    reveal(m_mirrorView);
}

void BasicModeView::reveal(QWidget* widget) {
    // A fade with the theme's opening motion; reduce motion gives the short ease.
    const BrimlarkAnimation& animation = motion();
    auto* effect = new QGraphicsOpacityEffect(widget);
    effect->setOpacity(0.0);
    widget->setGraphicsEffect(effect);
    auto* fade = new QVariantAnimation(widget);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->setDuration(animation.durationMs());
    fade->setEasingCurve(animation.easingCurve());
    connect(fade, &QVariantAnimation::valueChanged, effect,
            [effect](const QVariant& value) { effect->setOpacity(std::clamp(value.toDouble(), 0.0, 1.0)); });
    connect(fade, &QVariantAnimation::finished, widget, [widget] { widget->setGraphicsEffect(nullptr); });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void BasicModeView::requestAdvanced() {
    if (m_inputs.onAdvancedRequested)
        m_inputs.onAdvancedRequested();
}

bool BasicModeView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_row && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        placeTimerPicker();
    if (event->type() == QEvent::MouseButtonPress && m_inlineUtility == InlineUtility::timer) {
        // The picker's own presses and the timer's (which toggle it) leave it open; any other
        // press in the panel closes it and goes on to what it pressed.
        auto* pressed = qobject_cast<QWidget*>(watched);
        QWidget* timer = m_row->button(QuickAction::Kind::timer);
        if (pressed && pressed->window() == window() && m_inlineWidget &&
            !m_inlineWidget->isAncestorOf(pressed) && pressed != m_inlineWidget && pressed != timer)
            setInlineUtility(std::nullopt);
    }
    if (watched != m_advancedButton)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressPosition = mouse->position();
            m_dragging = false;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_pressPosition && !m_dragging) {
            const QPointF moved = mouse->position() - *m_pressPosition;
            m_dragging = std::hypot(moved.x(), moved.y()) >= advancedDragDistance;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !m_pressPosition)
            break;
        const double down = mouse->position().y() - m_pressPosition->y();
        const bool dragged = m_dragging;
        m_pressPosition.reset();
        m_dragging = false;
        if (!dragged)
            break;
        // A drag is never also a click: the button lets go without firing.
        m_advancedButton->setDown(false);
        if (down > advancedDragDistance)
            requestAdvanced();
        return true;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void BasicModeView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_mediaPane->setFixedWidth(mediaColumnWidth(width()));
    placeTimerPicker();
}

void BasicModeView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous() || !m_services.calendar)
        return;
    // On the next turn, and only if still on screen: a view shown and hidden at once fetches nothing.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && m_services.calendar)
            m_services.calendar->refresh();
    });
}
