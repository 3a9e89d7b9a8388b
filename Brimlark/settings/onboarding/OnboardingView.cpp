#include "Brimlark/settings/onboarding/OnboardingView.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/ColorBlend.h"
#include "Brimlark/settings/onboarding/OnboardingButtonStyle.h"
#include "Brimlark/settings/onboarding/OnboardingCard.h"
#include "Brimlark/settings/onboarding/PermissionsStep.h"
#include "Brimlark/settings/onboarding/ShortcutsStep.h"
#include "Brimlark/settings/onboarding/VibeCodingStep.h"
#include "Brimlark/settings/onboarding/WelcomeStep.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QWindow>

#include <cmath>

const QString OnboardingView::onboardedKey = QStringLiteral("brimlark.onboarded");
const QString OnboardingView::windowIdentifier = QStringLiteral("BrimlarkOnboardingWindow");

namespace {

// The row of step dots: the current one wide and orange, sliding over when the step changes.
class StepDots : public QWidget {
public:
    StepDots(int total, QWidget* parent) : QWidget(parent), m_total(total), m_animation(this) {
        setFixedSize(18 + (total - 1) * (6 + 6), 6);
        const BrimlarkAnimation spring = BrimlarkAnimation::spring(0.42, 0.88);
        m_animation.setDuration(spring.durationMs());
        m_animation.setEasingCurve(spring.easingCurve());
        connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            m_shown = value.toReal();
            update();
        });
    }

    void setStep(int step, bool animated) {
        m_animation.stop();
        if (!animated) {
            m_shown = step;
            update();
            return;
        }
        m_animation.setStartValue(m_shown);
        m_animation.setEndValue(qreal(step));
        m_animation.start();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QColor rest = BrimlarkTheme::textTertiary();
        rest.setAlphaF(rest.alphaF() * 0.4f);
        // Each dot widens and takes the orange as the shown step comes near it.
        qreal x = 0;
        for (int i = 0; i < m_total; ++i) {
            const qreal nearness = qBound(0.0, 1.0 - std::abs(m_shown - i), 1.0);
            const qreal width = 6 + 12 * nearness;
            painter.setBrush(ColorBlend::blend(rest, BrimlarkTheme::warning(), nearness));
            painter.drawRoundedRect(QRectF(x, 0, width, 6), 3, 3);
            x += width + 6;
        }
    }

private:
    int m_total;
    qreal m_shown = 0;
    QVariantAnimation m_animation;
};

// The control a press on `target` inside `page` lands on; none on the background.
QAbstractButton* controlAt(QWidget* target, QWidget* page) {
    for (QWidget* widget = target; widget && widget != page; widget = widget->parentWidget()) {
        if (auto* card = qobject_cast<OnboardingCard*>(widget)) {
            if (card->isClickable())
                return card;
            continue;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            return button;
    }
    return nullptr;
}

} // namespace

OnboardingView::OnboardingView(PermissionsCoordinator& permissions, AIHooksService& aiHooks,
                               AppState& appState, UserDefaults& defaults, std::function<void()> onClose,
                               int totalSteps, QWidget* parent)
    : QWidget(parent), m_permissions(permissions), m_aiHooks(aiHooks), m_appState(appState),
      m_defaults(defaults), m_onClose(std::move(onClose)), m_navigator(totalSteps),
      m_slide(new QVariantAnimation(this)) {
    setFixedSize(viewWidth, viewHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_page = new QScrollArea(this);
    m_page->setObjectName(QStringLiteral("onboardingPage"));
    m_page->setFrameShape(QFrame::NoFrame);
    m_page->setWidgetResizable(true);
    m_page->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A step taller than the page (the shortcuts and gestures on a large font) shows that it
    // scrolls.
    m_page->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_page->verticalScrollBar()->setStyleSheet(BrimlarkTheme::thinScrollBarStyle());
    QPalette black = m_page->palette();
    black.setColor(QPalette::Window, BrimlarkTheme::notchBlack());
    black.setColor(QPalette::Base, BrimlarkTheme::notchBlack());
    m_page->setPalette(black);
    m_page->viewport()->setPalette(black);
    // Presses on the page are the swipe's, never the window's move.
    m_page->viewport()->setAttribute(Qt::WA_NoMousePropagation);
    m_page->setAttribute(Qt::WA_NoMousePropagation);
    layout->addWidget(m_page, 1);
    layout->addWidget(bottomBar());

    const BrimlarkAnimation& spring = BrimlarkTheme::pageSpring();
    m_slide->setDuration(spring.durationMs());
    m_slide->setEasingCurve(spring.easingCurve());
    connect(m_slide, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_slideOffset = value.toReal();
        applyOffset();
    });

    for (const QKeyCombination key : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (m_navigator.isLastStep())
                finish();
        });
    }
    showStep(0);
}

QWidget* OnboardingView::bottomBar() {
    auto* bar = new QWidget(this);
    auto* column = new QVBoxLayout(bar);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto* divider = new QWidget(bar);
    divider->setFixedHeight(1);
    divider->setAutoFillBackground(true);
    QPalette dividerPalette = divider->palette();
    dividerPalette.setColor(QPalette::Window, BrimlarkTheme::stroke());
    divider->setPalette(dividerPalette);
    column->addWidget(divider);

    auto* row = new QHBoxLayout();
    row->setContentsMargins(16, 12, 16, 12);
    m_dots = new StepDots(m_navigator.totalSteps(), bar);
    row->addWidget(m_dots);
    row->addStretch(1);
    m_back = new QPushButton(tr("back"), bar);
    OnboardingButtonStyle(false).apply(m_back);
    m_continue = new QPushButton(tr("continue"), bar);
    OnboardingButtonStyle(true).apply(m_continue);
    m_getStarted = new QPushButton(tr("get started"), bar);
    OnboardingButtonStyle(true).apply(m_getStarted);
    for (QPushButton* button : {m_back, m_continue, m_getStarted})
        row->addWidget(button);
    connect(m_back, &QPushButton::clicked, this, &OnboardingView::goBack);
    connect(m_continue, &QPushButton::clicked, this, &OnboardingView::advance);
    connect(m_getStarted, &QPushButton::clicked, this, &OnboardingView::finish);
    column->addLayout(row);
    return bar;
}

QWidget* OnboardingView::makeStep(int step) {
    switch (step) {
    case 0:
        return new WelcomeStep(m_appState);
    case 1:
        return new PermissionsStep(m_permissions);
    case 2:
        return new VibeCodingStep(m_aiHooks, m_appState);
    default:
        return new ShortcutsStep();
    }
}

void OnboardingView::showStep(int direction) {
    const int step = m_navigator.step();
    // The old page may hold the widget whose event led here, so it goes on a later turn.
    if (QWidget* old = m_page->takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    auto* stage = new QWidget();
    auto* stageLayout = new QVBoxLayout(stage);
    stageLayout->setContentsMargins(24, 24, 24, 24);
    m_content = makeStep(step);
    // The welcome sits in the middle of the page; the other steps start at its top.
    stageLayout->addWidget(m_content, 0, step == 0 ? Qt::AlignVCenter : Qt::AlignTop);
    m_page->setWidget(stage);
    stage->setAutoFillBackground(false);
    m_page->verticalScrollBar()->setValue(0);

    m_back->setVisible(step >= 1);
    m_continue->setVisible(!m_navigator.isLastStep());
    m_getStarted->setVisible(m_navigator.isLastStep());
    static_cast<StepDots*>(m_dots)->setStep(step, direction != 0 && isVisible());

    m_slide->stop();
    m_slideOffset = 0;
    if (direction != 0 && isVisible()) {
        m_slide->setStartValue(direction * 48.0);
        m_slide->setEndValue(0.0);
        m_slide->start();
    }
    applyOffset();
}

void OnboardingView::applyOffset() {
    if (QWidget* stage = m_page->widget())
        stage->move(qRound(m_navigator.offset() + m_slideOffset), stage->y());
}

void OnboardingView::goBack() {
    const int before = m_navigator.step();
    m_navigator.goBack();
    if (m_navigator.step() != before)
        showStep(-1);
}

void OnboardingView::advance() {
    const int before = m_navigator.step();
    m_navigator.advance();
    if (m_navigator.step() != before)
        showStep(1);
}

void OnboardingView::finish() {
    m_defaults.setBool(onboardedKey, true);
    if (m_onClose)
        m_onClose();
}

void OnboardingView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_aiHooks.refreshStatus();
    QWindow* handle = window()->windowHandle();
    if (handle && handle != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        handle->installEventFilter(this);
        m_watchedWindow = handle;
    }
}

bool OnboardingView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow.data()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            trackPointer(event);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void OnboardingView::trackPointer(QEvent* event) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPointF global = mouse->globalPosition();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        if (mouse->button() != Qt::LeftButton)
            return;
        // A drag whose release never came (the pointer was taken away) ends here.
        m_navigator.cancelDrag();
        QWidget* viewport = m_page->viewport();
        const QPoint local = viewport->mapFromGlobal(global.toPoint());
        m_tracking = viewport->isVisible() && viewport->rect().contains(local);
        m_pressPosition = global;
        m_pressedButton = m_tracking ? controlAt(viewport->childAt(local), viewport) : nullptr;
        m_pressedOnBackground = m_tracking && !m_pressedButton;
        applyOffset();
        return;
    }
    case QEvent::MouseMove: {
        if (!m_tracking || !(mouse->buttons() & Qt::LeftButton))
            return;
        const QPointF translation = global - m_pressPosition;
        const bool vertical =
            std::abs(translation.y()) > std::abs(translation.x()) &&
            std::hypot(translation.x(), translation.y()) >= OnboardingNavigator::minimumDistance;
        if (vertical && m_pressedOnBackground && !m_navigator.isDragging()) {
            // Up or down on the page's background carries the window instead.
            m_tracking = false;
            if (QWindow* handle = window()->windowHandle())
                handle->startSystemMove();
            return;
        }
        const bool wasDragging = m_navigator.isDragging();
        m_navigator.dragChanged(translation);
        if (!wasDragging && m_navigator.isDragging() && m_pressedButton) {
            // A release away from the button ends its press without a click; the real release
            // then finds it no longer pressed.
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-1, -1), QPointF(-1, -1), Qt::LeftButton,
                                Qt::NoButton, mouse->modifiers());
            QCoreApplication::sendEvent(m_pressedButton, &release);
            m_pressedButton.clear();
        }
        applyOffset();
        return;
    }
    case QEvent::MouseButtonRelease: {
        if (!m_tracking || mouse->button() != Qt::LeftButton)
            return;
        m_tracking = false;
        const int before = m_navigator.step();
        m_navigator.dragEnded(global - m_pressPosition);
        if (m_navigator.step() != before)
            showStep(m_navigator.step() > before ? 1 : -1);
        else
            applyOffset();
        return;
    }
    default:
        return;
    }
}

void OnboardingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), BrimlarkTheme::notchBlack());
}
