#include "Brimlark/surface/CompactHiddenStatusView.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/events/HookInputPreview.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/surface/CompactStatusButton.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal sideMargin = 20.0;
constexpr qreal bottomMargin = 12.0;
constexpr qreal pillHorizontalPadding = 16.0;
constexpr qreal pillVerticalPadding = 11.0;
constexpr qreal pillSpacing = 8.0;
constexpr qreal iconSize = 14.0;
constexpr qreal lineSpacing = 2.0;
constexpr qreal buttonSpacing = 6.0;

using Status = HookEvent::Status;
using Source = HookEvent::Source;

// Texts from tools, tracks and calendars may carry line breaks; the pill shows one line each.
QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c == QChar::LineFeed || c == QChar::CarriageReturn || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator || c == QChar::Tabulation)
            c = QChar::Space;
    }
    return text;
}

std::optional<QString> lowered(const std::optional<QString>& text) {
    if (!text || text->isEmpty())
        return std::nullopt;
    return text->toLower();
}

QString sourceName(Source source) {
    switch (source) {
    case Source::claude:
        return QStringLiteral("claude");
    case Source::codex:
        return QStringLiteral("codex");
    case Source::other:
        break;
    }
    return QStringLiteral("ai");
}

QString statusPhrase(Status status) {
    switch (status) {
    case Status::idle:
        return {};
    case Status::asking:
        return QStringLiteral(" needs approval");
    case Status::working:
        return QStringLiteral(" working");
    case Status::finished:
        return QStringLiteral(" complete");
    case Status::error:
        return QStringLiteral(" needs attention");
    }
    return {};
}

CompactHiddenStatusView::Content aiContent(const HookEvent& event) {
    CompactHiddenStatusView::Content content;
    switch (event.source) {
    case Source::claude:
        content.iconName = QStringLiteral("sparkles");
        break;
    case Source::codex:
        content.iconName = QStringLiteral("terminal.fill");
        break;
    case Source::other:
        content.iconName = QStringLiteral("bolt.horizontal.fill");
        break;
    }
    content.iconColor = event.status == Status::asking  ? BrimlarkTheme::accent()
                        : event.status == Status::error ? BrimlarkTheme::danger()
                                                        : BrimlarkTheme::warning();
    content.headline = sourceName(event.source) + statusPhrase(event.status);
    if (event.status == Status::asking) {
        const std::optional<QString> title = lowered(event.title);
        content.secondLine = title && *title != content.headline ? title : lowered(event.detail);
        // What would be approved, when the event says: two requests of one tool look different.
        if (const std::optional<QString> input = HookInputPreview::of(event))
            content.secondLine =
                event.toolName ? event.toolName->toLower() + QStringLiteral(": ") + *input : *input;
    } else if (event.status == Status::error) {
        content.secondLine = lowered(event.detail);
    }
    return content;
}

CompactHiddenStatusView::Content timerContent(const TimerInfo& timer, bool isBurst, const QDateTime& now) {
    const double left = static_cast<double>(now.msecsTo(timer.endsAt)) / 1000.0;
    const QString remaining = formatTimerDuration(std::max(0.0, left));
    CompactHiddenStatusView::Content content;
    content.iconName = QStringLiteral("timer");
    content.iconColor = !isBurst && left > 60.0 ? BrimlarkTheme::accent() : BrimlarkTheme::warning();
    content.headline = isBurst ? QStringLiteral("timer finished") : QStringLiteral("timer • ") + remaining;
    content.secondLine = left > 0.0 ? QStringLiteral("ends in ") + remaining : QStringLiteral("time is up");
    return content;
}

CompactHiddenStatusView::Content calendarContent(const CalendarItem& item, const QDateTime& now) {
    const bool linked = item.conferenceURL.has_value();
    CompactHiddenStatusView::Content content;
    content.iconName = linked ? QStringLiteral("video.fill") : QStringLiteral("calendar");
    content.iconColor = linked ? BrimlarkTheme::accent() : BrimlarkTheme::warning();
    QString when;
    if (now >= item.startDate && now <= item.endDate) {
        when = QStringLiteral(" • now");
    } else {
        // Whole minutes, cut toward zero; an event already over shows 0.
        const qint64 seconds = now.msecsTo(item.startDate) / 1000;
        const qint64 minutes = std::max<qint64>(0, seconds / 60);
        when = QStringLiteral(" • in %1 min").arg(minutes);
    }
    content.headline = item.title.toLower() + when;
    const QString host = linked ? item.conferenceURL->host() : QString();
    content.secondLine = !host.isEmpty() ? std::optional<QString>(host.toLower()) : lowered(item.location);
    return content;
}

CompactHiddenStatusView::Content mediaContent(const MediaRemoteBridge::NowPlaying& nowPlaying, bool isBurst) {
    CompactHiddenStatusView::Content content;
    content.iconName = nowPlaying.isPlaying ? QStringLiteral("play.fill") : QStringLiteral("pause.fill");
    content.iconColor = BrimlarkTheme::warning();
    if (const std::optional<QString> title = CompactLiveStatus::trackTitle(nowPlaying))
        content.headline = title->toLower();
    else
        content.headline = isBurst ? QStringLiteral("track changed") : QStringLiteral("now playing");
    content.secondLine = lowered(nowPlaying.artist);
    return content;
}

// The pill's accessible interface: a status bar whose name and description are its two lines.
QAccessibleInterface* pillAccessible(const QString& key, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (key != QLatin1String("CompactHiddenStatusView") || !widget)
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::StatusBar);
}

} // namespace

CompactHiddenStatusView::Content CompactHiddenStatusView::contentFor(const CompactLiveStatus& status,
                                                                     const QDateTime& now) {
    Content content;
    switch (status.kind()) {
    case CompactLiveStatus::Kind::ai:
        content = aiContent(*status.event());
        break;
    case CompactLiveStatus::Kind::timer:
        content = timerContent(*status.timerInfo(), status.isBurst(), now);
        break;
    case CompactLiveStatus::Kind::calendar:
        content = calendarContent(*status.calendarItem(), now);
        break;
    case CompactLiveStatus::Kind::media:
        content = mediaContent(*status.nowPlaying(), status.isBurst());
        break;
    }
    content.headline = oneLine(content.headline);
    if (content.secondLine)
        content.secondLine = oneLine(*content.secondLine);
    return content;
}

CompactHiddenStatusView::CompactHiddenStatusView(const CompactLiveStatus& status, AIHooksService* aiHooks,
                                                 bool hasPhysicalNotch, const QSizeF& notchSize, Clock* clock,
                                                 QWidget* parent)
    : QWidget(parent), m_status(status), m_aiHooks(aiHooks), m_hasPhysicalNotch(hasPhysicalNotch),
      m_notchSize(notchSize), m_clock(clock), m_content(contentFor(status, clock->now())) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(&pillAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    updateAccessibleText();

    const HookEvent* event = status.event();
    if (event && event->hasActions() && aiHooks) {
        // The fixed labels, not the titles the actions carry. The event goes only once its action
        // has started; one that could not start stays, and the service says why in lastError.
        const QUuid id = event->id;
        if (event->approveAction) {
            m_allow = new CompactStatusButton(QStringLiteral("allow"), BrimlarkTheme::accent(), true, this);
            connect(m_allow, &QAbstractButton::clicked, this, [this, id] {
                if (m_aiHooks)
                    m_aiHooks->runAction(id, HookEvent::Action::Kind::approve);
            });
        }
        if (event->denyAction) {
            m_deny = new CompactStatusButton(QStringLiteral("deny"), BrimlarkTheme::warning(), false, this);
            connect(m_deny, &QAbstractButton::clicked, this, [this, id] {
                if (m_aiHooks)
                    m_aiHooks->runAction(id, HookEvent::Action::Kind::deny);
            });
        }
    }
    layoutPill();
}

void CompactHiddenStatusView::refreshContent() {
    Content next = contentFor(m_status, m_clock->now());
    if (next == m_content)
        return;
    const bool lines = next.secondLine.has_value() != m_content.secondLine.has_value();
    const bool icon = next.iconName != m_content.iconName || next.iconColor != m_content.iconColor;
    const bool headline = next.headline != m_content.headline;
    const bool secondLine = next.secondLine != m_content.secondLine;
    m_content = std::move(next);
    updateAccessibleText();
    if (lines) {
        layoutPill();
        update();
        return;
    }
    // The lines are drawn whole over the pill, so a line's own box covers its old and new text.
    auto dirty = [](const QRectF& area) { return area.toAlignedRect().adjusted(-1, -1, 1, 1); };
    if (icon) {
        m_chrome = QPixmap();
        update(dirty(m_iconRect));
    }
    if (headline)
        update(dirty(m_headlineRect));
    if (secondLine)
        update(dirty(m_secondLineRect));
}

void CompactHiddenStatusView::updateAccessibleText() {
    // Screen readers read what the pill shows: the headline as the name, the second line as the
    // description.
    setAccessibleName(m_content.headline);
    setAccessibleDescription(m_content.secondLine.value_or(QString()));
}

qreal CompactHiddenStatusView::textColumnHeight() const {
    qreal height = QFontMetricsF(BrimlarkTheme::monoSemibold11()).height();
    if (m_content.secondLine)
        height += lineSpacing + QFontMetricsF(BrimlarkTheme::monoRegular10()).height();
    return height;
}

void CompactHiddenStatusView::layoutPill() {
    const QRectF bounds = rect();
    qreal buttonsWidth = 0;
    qreal buttonsHeight = 0;
    for (CompactStatusButton* button : {m_allow, m_deny}) {
        if (!button)
            continue;
        const QSize hint = button->sizeHint();
        buttonsWidth += (buttonsWidth > 0 ? buttonSpacing : 0) + hint.width();
        buttonsHeight = std::max<qreal>(buttonsHeight, hint.height());
    }

    const qreal contentHeight = std::max({textColumnHeight(), buttonsHeight, iconSize});
    const qreal pillHeight = contentHeight + 2 * pillVerticalPadding;
    // The pill hangs from the bottom margin and never rises into the strip under the notch.
    const qreal minTop = m_hasPhysicalNotch ? m_notchSize.height() + 10.0 : 12.0;
    const qreal bottom = bounds.bottom() - bottomMargin;
    const qreal top = std::max(bottom - pillHeight, minTop);
    m_pillRect =
        QRectF(sideMargin, top, std::max(0.0, bounds.width() - 2 * sideMargin), std::max(0.0, bottom - top));

    const qreal inner = m_pillRect.left() + pillHorizontalPadding;
    qreal right = m_pillRect.right() - pillHorizontalPadding;
    const qreal centreY = m_pillRect.center().y();
    for (CompactStatusButton* button : {m_deny, m_allow}) {
        if (!button)
            continue;
        const QSize hint = button->sizeHint();
        right -= hint.width();
        button->setGeometry(
            QRectF(right, centreY - hint.height() / 2.0, hint.width(), hint.height()).toRect());
        right -= buttonSpacing;
    }
    if (buttonsWidth > 0)
        right += buttonSpacing - pillSpacing;
    const qreal textLeft = inner + iconSize + pillSpacing;
    m_textRect = QRectF(textLeft, centreY - textColumnHeight() / 2.0, std::max(0.0, right - textLeft),
                        textColumnHeight());
    m_iconRect = QRectF(inner, centreY - iconSize / 2.0, iconSize, iconSize);
    m_headlineRect = QRectF(m_textRect.left(), m_textRect.top(), m_textRect.width(),
                            QFontMetricsF(BrimlarkTheme::monoSemibold11()).height());
    m_secondLineRect = QRectF(m_textRect.left(), m_headlineRect.bottom() + lineSpacing, m_textRect.width(),
                              QFontMetricsF(BrimlarkTheme::monoRegular10()).height());
    m_chrome = QPixmap();
}

void CompactHiddenStatusView::resizeEvent(QResizeEvent*) {
    layoutPill();
}

const QPixmap& CompactHiddenStatusView::chrome() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!m_chrome.isNull() && m_chrome.size() == pixels && m_chrome.devicePixelRatio() == ratio)
        return m_chrome;
    m_chrome = QPixmap(pixels);
    m_chrome.setDevicePixelRatio(ratio);
    m_chrome.fill(Qt::transparent);
    if (!m_chrome.isNull()) {
        QPainter painter(&m_chrome);
        paintChrome(painter);
    }
    return m_chrome;
}

void CompactHiddenStatusView::paintChrome(QPainter& painter) const {
    painter.setRenderHints(QPainter::Antialiasing);
    const qreal radius = m_pillRect.height() / 2.0;
    QPainterPath pill;
    pill.addRoundedRect(m_pillRect, radius, radius);
    QColor fill = BrimlarkTheme::surface();
    fill.setAlphaF(0.92f);
    painter.fillPath(pill, fill);
    const QRectF edge = m_pillRect.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(edge, edge.height() / 2.0, edge.height() / 2.0);
    painter.setPen(QPen(BrimlarkTheme::strokeStrong(), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    paintSymbol(painter, m_iconRect, m_content.iconName, m_content.iconColor);
}

void CompactHiddenStatusView::paintEvent(QPaintEvent* event) {
    if (m_pillRect.isEmpty())
        return;
    const QPixmap& picture = chrome();
    const QRectF dirty = event->rect();
    const qreal ratio = picture.devicePixelRatio();
    QPainter painter(this);
    painter.drawPixmap(dirty, picture, QRectF(dirty.topLeft() * ratio, dirty.size() * ratio));
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

    // Event, track and calendar texts are drawn as plain text, one elided line each; a repaint
    // of one line leaves the other be.
    const qreal width = m_textRect.width();
    if (m_headlineRect.intersects(dirty)) {
        const QFont& font = BrimlarkTheme::monoSemibold11();
        painter.setFont(font);
        painter.setPen(BrimlarkTheme::textPrimary());
        painter.drawText(m_headlineRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QFontMetricsF(font).elidedText(m_content.headline, Qt::ElideRight, width));
    }
    if (m_content.secondLine && m_secondLineRect.intersects(dirty)) {
        const QFont& font = BrimlarkTheme::monoRegular10();
        painter.setFont(font);
        painter.setPen(BrimlarkTheme::textTertiary());
        painter.drawText(m_secondLineRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QFontMetricsF(font).elidedText(*m_content.secondLine, Qt::ElideRight, width));
    }
}
