#include "Brimlark/pages/AdvancedModeView.h"

#include "Brimlark/aihooks/views/AIHooksView.h"
#include "Brimlark/apps/AppLauncherView.h"
#include "Brimlark/core/AdvancedPage.h"
#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/core/NotchSafeTopRegion.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PanelIconButton.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/organizer/CalendarView.h"
#include "Brimlark/organizer/NotesView.h"
#include "Brimlark/organizer/RemindersView.h"
#include "Brimlark/pages/PageIndicator.h"
#include "Brimlark/shelf/FileShelfListView.h"
#include "platform/Accessibility.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>

namespace {

QList<AdvancedPage> allPages() {
    QList<AdvancedPage> pages;
    for (int i = 0; i < AdvancedPages::pageCount; ++i)
        pages.append(static_cast<AdvancedPage>(i));
    return pages;
}

} // namespace

AdvancedModeView::AdvancedModeView(const PanelServices& services, Inputs inputs, QWidget* parent)
    : QWidget(parent), m_services(services), m_inputs(std::move(inputs)) {
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 4, 16, 8);
    layout->setSpacing(8);

    // Header: the page's symbol and title left of the notch, the arrows and close right of it.
    m_header = new NotchSafeTopRegion(this);
    m_header->setReserveTopBand(true);
    m_header->setHorizontalPadding(0);
    m_header->setSpacing(8);
    m_header->setNotchWidth(m_inputs.notchSize.width());
    m_header->setNotchHeight(m_inputs.notchSize.height());
    m_header->setHasPhysicalNotch(m_inputs.hasPhysicalNotch);
    m_header->setFixedHeight(m_inputs.hasPhysicalNotch ? static_cast<int>(m_inputs.notchSize.height()) + 10
                                                       : 28);

    auto* leading = new QWidget();
    auto* leadingLayout = new QHBoxLayout(leading);
    leadingLayout->setContentsMargins(0, 0, 0, 0);
    leadingLayout->setSpacing(8);
    m_icon = new QLabel(leading);
    leadingLayout->addWidget(m_icon, 0, Qt::AlignVCenter);
    auto* titles = new QVBoxLayout();
    titles->setSpacing(1);
    titles->addWidget(plainLabel(QStringLiteral("advanced"), BrimlarkTheme::monoSemibold11(),
                                 BrimlarkTheme::textSecondary(), leading));
    m_title = plainLabel(QString(), BrimlarkTheme::monoSemibold16(), BrimlarkTheme::textPrimary(), leading);
    titles->addWidget(m_title);
    leadingLayout->addLayout(titles);
    leadingLayout->addStretch(1);
    m_header->setLeading(leading);

    auto* trailing = new QWidget();
    auto* trailingLayout = new QHBoxLayout(trailing);
    trailingLayout->setContentsMargins(0, 0, 0, 0);
    trailingLayout->setSpacing(2);
    trailingLayout->addStretch(1);
    auto* previous =
        new PanelIconButton(QStringLiteral("chevron.left"), QStringLiteral("Previous page"), 26, trailing);
    auto* next =
        new PanelIconButton(QStringLiteral("chevron.right"), QStringLiteral("Next page"), 26, trailing);
    auto* close = new PanelIconButton(QStringLiteral("xmark"), QStringLiteral("Close"), 26, trailing);
    for (auto* button : {previous, next, close}) {
        button->setFocusPolicy(Qt::NoFocus);
        trailingLayout->addWidget(button, 0, Qt::AlignVCenter);
    }
    connect(previous, &QAbstractButton::clicked, this, [this] {
        if (m_inputs.interactionEngine)
            m_inputs.interactionEngine->previousPage(AdvancedPages::pageCount);
    });
    connect(next, &QAbstractButton::clicked, this, [this] {
        if (m_inputs.interactionEngine)
            m_inputs.interactionEngine->nextPage(AdvancedPages::pageCount);
    });
    connect(close, &QAbstractButton::clicked, this, [this] {
        if (m_inputs.onClose)
            m_inputs.onClose();
    });
    m_header->setTrailing(trailing);
    // The header fits its font: the two lines of titles are taller than the band a panel without a
    // notch reserves.
    m_header->setFixedHeight(std::max(m_header->minimumHeight(), m_header->sizeHint().height()));
    layout->addWidget(m_header);

    auto* divider = new QWidget(this);
    divider->setFixedHeight(1);
    divider->setAutoFillBackground(true);
    QPalette dividerPalette = divider->palette();
    dividerPalette.setColor(QPalette::Window, BrimlarkTheme::mutedFill());
    divider->setPalette(dividerPalette);
    layout->addWidget(divider);

    // The page's content lives in a host without a layout, so a page change can slide it.
    m_pageHost = new QWidget(this);
    m_pageHost->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_pageHost->installEventFilter(this);
    layout->addWidget(m_pageHost, 1);

    m_indicator = new PageIndicator(
        allPages(), m_inputs.page, [this](int index) { selectPage(index); }, 5, 16, 8, this);
    layout->addWidget(m_indicator, 0, Qt::AlignHCenter);
    layout->addSpacing(4);

    // Ctrl+arrows must reach this view before a focused editor in the page acts on them, and the
    // editor may be any widget the page makes at any time: the filter sits on the application and
    // takes only key events of widgets in this view's window.
    qApp->installEventFilter(this);

    updateHeader();
    showPageContent(false);
}

AdvancedModeView::~AdvancedModeView() {
    qApp->removeEventFilter(this);
}

int AdvancedModeView::currentPage() const {
    return std::clamp(m_inputs.page, 0, AdvancedPages::pageCount - 1);
}

QString AdvancedModeView::shownTitle() const {
    return m_title->text();
}

const BrimlarkAnimation& AdvancedModeView::motion() const {
    const bool reduce = m_services.accessibility && m_services.accessibility->reduceMotion();
    return reduce ? BrimlarkTheme::standardEase() : BrimlarkTheme::pageSpring();
}

void AdvancedModeView::updateHeader() {
    const auto page = static_cast<AdvancedPage>(currentPage());
    m_icon->setPixmap(symbolPixmap(AdvancedPages::symbolName(page), BrimlarkTheme::warning(), QSize(16, 16),
                                   devicePixelRatioF()));
    m_title->setText(AdvancedPages::title(page));
}

// The one place each page's widget is made.
QWidget* AdvancedModeView::makePageContent(int page) {
    switch (static_cast<AdvancedPage>(page)) {
    case AdvancedPage::calendar:
        if (m_services.calendar && m_services.permissions)
            return new CalendarView(*m_services.calendar, *m_services.permissions, m_pageHost);
        break;
    case AdvancedPage::aiHooks:
        if (m_services.aiHooks)
            return new AIHooksView(*m_services.aiHooks, m_inputs.onOpenSettings, m_pageHost);
        break;
    case AdvancedPage::notes:
        if (m_services.notes)
            return new NotesView(*m_services.notes, m_services.workspace, m_pageHost);
        break;
    case AdvancedPage::reminders:
        if (m_services.reminders && m_services.permissions)
            return new RemindersView(*m_services.reminders, *m_services.permissions, nullptr, m_pageHost);
        break;
    case AdvancedPage::shelf:
        if (m_services.fileShelf)
            return new FileShelfListView(*m_services.fileShelf, m_pageHost);
        break;
    case AdvancedPage::apps:
        if (m_services.apps)
            return new AppLauncherView(*m_services.apps, m_pageHost);
        break;
    }
    auto* placeholder = plainLabel(AdvancedPages::title(static_cast<AdvancedPage>(page)),
                                   BrimlarkTheme::monoMedium13(), BrimlarkTheme::textTertiary(), m_pageHost);
    placeholder->setAlignment(Qt::AlignCenter);
    return placeholder;
}

void AdvancedModeView::setPage(int page) {
    const int before = currentPage();
    m_inputs.page = page;
    m_indicator->setCurrent(page);
    if (currentPage() == before)
        return;
    updateHeader();
    showPageContent(isVisible());
}

QWidget* AdvancedModeView::pageWidget(int page) {
    QPointer<QWidget>& kept = m_pages[static_cast<size_t>(page)];
    if (!kept)
        kept = makePageContent(page);
    return kept;
}

void AdvancedModeView::showPageContent(bool animated) {
    finishSlide();
    QPointer<QWidget> old = m_content;
    const bool hadFocus = old && (old->hasFocus() || old->isAncestorOf(QApplication::focusWidget()));
    m_content = pageWidget(currentPage());
    if (m_content == old)
        return;
    m_content->setGeometry(m_pageHost->rect());
    m_content->raise();
    m_content->show();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    if (!old)
        return;
    if (!animated) {
        old->hide();
        return;
    }

    // The new page moves in from the trailing edge and fades in; the old one moves out to the leading
    // edge and fades out, whichever way the user paged.
    const BrimlarkAnimation& animation = motion();
    const int width = m_pageHost->width();
    auto* incoming = new QGraphicsOpacityEffect(m_content);
    incoming->setOpacity(0.0);
    m_content->setGraphicsEffect(incoming);
    old->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_leaving = old;
    auto* slide = new QVariantAnimation(this);
    slide->setStartValue(0.0);
    slide->setEndValue(1.0);
    slide->setDuration(animation.durationMs());
    slide->setEasingCurve(animation.easingCurve());
    QPointer<QWidget> content = m_content;
    connect(slide, &QVariantAnimation::valueChanged, this, [content, old, width](const QVariant& value) {
        const double p = value.toDouble();
        const double shown = std::clamp(p, 0.0, 1.0);
        if (content) {
            content->move(static_cast<int>((1.0 - p) * width), 0);
            // Whole (the spring may overshoot), the new page is drawn as if it had no effect, for
            // the same reason as the old one below; short of whole it fades again.
            if (auto* effect = qobject_cast<QGraphicsOpacityEffect*>(content->graphicsEffect())) {
                effect->setOpacity(shown);
                effect->setEnabled(shown < 1.0);
            }
        }
        if (old) {
            old->move(static_cast<int>(-p * width), 0);
            // The old page fades from the first step on; until then it is drawn as it was, whole
            // and without the cost of an effect (a fully opaque effect would also draw the
            // page's own effects onto a device that is already being painted).
            auto* effect = qobject_cast<QGraphicsOpacityEffect*>(old->graphicsEffect());
            if (!effect && shown > 0.0) {
                effect = new QGraphicsOpacityEffect(old);
                old->setGraphicsEffect(effect);
            }
            if (effect)
                effect->setOpacity(1.0 - shown);
        }
    });
    connect(slide, &QVariantAnimation::finished, this, &AdvancedModeView::finishSlide);
    m_slide = slide;
    slide->start(QAbstractAnimation::DeleteWhenStopped);
}

void AdvancedModeView::finishSlide() {
    if (QVariantAnimation* slide = m_slide) {
        m_slide = nullptr;
        slide->stop();
    }
    if (QWidget* leaving = m_leaving) {
        m_leaving = nullptr;
        leaving->hide();
        leaving->setGraphicsEffect(nullptr);
        leaving->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        leaving->move(0, 0);
    }
    if (m_content) {
        m_content->setGraphicsEffect(nullptr);
        m_content->setGeometry(m_pageHost->rect());
    }
}

void AdvancedModeView::selectPage(int index) {
    if (!m_inputs.interactionEngine)
        return;
    const int clamped = std::clamp(index, 0, AdvancedPages::pageCount - 1);
    m_inputs.interactionEngine->setLastOpenTrigger(InteractionEngine::InteractionTrigger::gesture);
    m_inputs.interactionEngine->setMode(InteractionEngine::Mode::advanced(clamped));
}

bool AdvancedModeView::handleArrowKey(QKeyEvent* event) {
    const bool left = event->key() == Qt::Key_Left;
    if (!left && event->key() != Qt::Key_Right)
        return false;
    if (!(event->modifiers() & Qt::ControlModifier) || !m_inputs.interactionEngine)
        return false;
    if (left)
        m_inputs.interactionEngine->previousPage(AdvancedPages::pageCount);
    else
        m_inputs.interactionEngine->nextPage(AdvancedPages::pageCount);
    return true;
}

bool AdvancedModeView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pageHost && event->type() == QEvent::Resize) {
        if (m_content && !m_content->graphicsEffect())
            m_content->setGeometry(m_pageHost->rect());
        return false;
    }
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    // Keys of the whole panel while this view shows: with no focused view in the panel (nothing
    // clicked yet, or the focused one went with a page) they go to the panel's window itself.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !isVisible() || widget->window() != window())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::ControlModifier) ||
        (key->key() != Qt::Key_Left && key->key() != Qt::Key_Right))
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Claimed, so no shortcut takes it; the press that follows pages.
        event->accept();
        return true;
    }
    return handleArrowKey(key);
}

void AdvancedModeView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(m_pageHost->rect());
}
