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
#include <QTextLine>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr qreal sideMargin = 20.0;
constexpr qreal bottomMargin = 12.0;
constexpr qreal pillHorizontalPadding = 16.0;
constexpr qreal pillVerticalPadding = 11.0;
constexpr qreal pillSpacing = 8.0;
constexpr qreal iconSize = 14.0;
constexpr qreal lineSpacing = 2.0;
constexpr qreal buttonSpacing = 6.0;
// Between the pill's top row and a failed action's reason under it.
constexpr qreal failureSpacing = 4.0;

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
        // The pill shows an event only as an alert, raised a moment after its lead is reached and
        // counting down while it shows: minutes are counted up, so the fifteen-minute alert reads
        // 15 throughout. An event already over shows 0.
        const qint64 left = std::max<qint64>(0, now.msecsTo(item.startDate));
        const qint64 minutes = (left + 59999) / 60000;
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

bool hasRightToLeft(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
            return true;
        default:
            return false;
        }
    });
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
        // has started; one that could not start stays, and the pill says why.
        const QUuid id = event->id;
        if (event->approveAction) {
            m_allow = new CompactStatusButton(QStringLiteral("allow"), BrimlarkTheme::accent(), true, this);
            connect(m_allow, &QAbstractButton::clicked, this,
                    [this, id] { runAction(id, HookEvent::Action::Kind::approve); });
        }
        if (event->denyAction) {
            m_deny = new CompactStatusButton(QStringLiteral("deny"), BrimlarkTheme::warning(), false, this);
            connect(m_deny, &QAbstractButton::clicked, this,
                    [this, id] { runAction(id, HookEvent::Action::Kind::deny); });
        }
    }
    layoutPill();
}

CompactHiddenStatusView::Content CompactHiddenStatusView::currentContent() const {
    Content content = contentFor(m_status, m_clock->now());
    if (m_failure)
        content.secondLine = m_failure;
    return content;
}

void CompactHiddenStatusView::runAction(const QUuid& id, HookEvent::Action::Kind kind) {
    if (!m_aiHooks || m_aiHooks->runAction(id, kind))
        return;
    // The service keeps the event and says why; the pill, where the click was, says it too.
    const QString why = oneLine(m_aiHooks->lastError());
    if (why.isEmpty())
        return;
    m_failure = why;
    setToolTip(*m_failure);
    m_content = currentContent();
    updateAccessibleText();
    layoutPill();
    update();
}

void CompactHiddenStatusView::refreshContent() {
    Content next = currentContent();
    if (next == m_content)
        return;
    const bool lines = next.secondLine.has_value() != m_content.secondLine.has_value();
    const bool icon = next.iconName != m_content.iconName || next.iconColor != m_content.iconColor;
    m_content = std::move(next);
    updateAccessibleText();
    if (lines) {
        layoutPill();
        update();
        return;
    }
    if (icon) {
        m_chrome = QPixmap();
        update(m_iconRect.toAlignedRect().adjusted(-1, -1, 1, 1));
    }
    // A countdown moves only its last digits: the rest of each line stays on screen as it is.
    Line headline;
    setLine(headline, m_content.headline, BrimlarkTheme::monoSemibold11());
    if (headline.shown != m_headline.shown) {
        update(changedTail(m_headline, headline, m_headlineRect));
        m_headline = std::move(headline);
    }
    // A failure's reason stays as it is: only the headline can still move.
    if (m_failure)
        return;
    Line second;
    setLine(second, m_content.secondLine.value_or(QString()), BrimlarkTheme::monoRegular10());
    if (second.shown != m_secondLine.shown) {
        update(changedTail(m_secondLine, second, m_secondLineRect));
        m_secondLine = std::move(second);
    }
}

void CompactHiddenStatusView::setLine(Line& line, const QString& text, const QFont& font) const {
    setLine(line, text, font, m_textRect.width());
}

void CompactHiddenStatusView::setLine(Line& line, const QString& text, const QFont& font, qreal width) {
    auto layOut = [&line, &font](const QString& shown) {
        line.shown = shown;
        line.layout->clearLayout();
        line.layout->setText(shown);
        line.layout->setFont(font);
        QTextOption option(Qt::AlignLeft);
        option.setWrapMode(QTextOption::NoWrap);
        line.layout->setTextOption(option);
        line.layout->setCacheEnabled(true);
        line.layout->beginLayout();
        QTextLine textLine = line.layout->createLine();
        if (textLine.isValid())
            textLine.setPosition(QPointF(0, 0));
        line.layout->endLayout();
    };
    layOut(text);
    // Cut only when it does not fit: most lines are laid out once and drawn as they are.
    if (line.layout->lineCount() > 0 && line.layout->lineAt(0).naturalTextWidth() > width)
        layOut(QFontMetricsF(font).elidedText(text, Qt::ElideRight, width));
}

QRect CompactHiddenStatusView::changedTail(const Line& before, const Line& after, const QRectF& area) {
    qsizetype same = 0;
    const qsizetype shorter = std::min(before.shown.size(), after.shown.size());
    while (same < shorter && before.shown.at(same) == after.shown.at(same))
        ++same;
    // A pair of UTF-16 units, or a mark on the character before, moves with its character.
    while (same > 0 && (after.shown.at(same - 1).isHighSurrogate() ||
                        (same < after.shown.size() && after.shown.at(same).isMark())))
        --same;
    auto x = [](const Line& line, qsizetype position) {
        return line.layout->lineCount() > 0 ? line.layout->lineAt(0).cursorToX(int(position)) : 0.0;
    };
    auto end = [](const Line& line) {
        return line.layout->lineCount() > 0 ? line.layout->lineAt(0).naturalTextWidth() : 0.0;
    };
    // Right-to-left runs do not keep their characters in reading order across the line: from the
    // start then.
    if (hasRightToLeft(before.shown) || hasRightToLeft(after.shown))
        same = 0;
    const qreal from = same == 0 ? 0.0 : std::min(x(before, same), x(after, same));
    const qreal to = std::max(end(before), end(after));
    if (to <= from)
        return QRect();
    // Two pixels each side take the antialiased edges of the glyphs beside the change.
    return QRectF(area.left() + from, area.top(), to - from, area.height())
        .toAlignedRect()
        .adjusted(-2, -1, 2, 1);
}

void CompactHiddenStatusView::updateAccessibleText() {
    // Screen readers read what the pill shows: the headline as the name, the second line as the
    // description.
    setAccessibleName(m_content.headline);
    setAccessibleDescription(m_content.secondLine.value_or(QString()));
}

qreal CompactHiddenStatusView::textColumnHeight() const {
    qreal height = QFontMetricsF(BrimlarkTheme::monoSemibold11()).height();
    // A failure's reason goes under the whole top row, not beside the buttons.
    if (m_content.secondLine && !m_failure)
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

    const qreal topRowHeight = std::max({textColumnHeight(), buttonsHeight, iconSize});
    // A failure's reason takes the pill's width under the top row: one line when it fits there,
    // else cut after its colon into the action and the reason.
    const QFont& reasonFont = BrimlarkTheme::monoRegular10();
    const qreal reasonLineHeight = QFontMetricsF(reasonFont).height();
    const qreal reasonWidth =
        std::max(0.0, bounds.width() - 2 * sideMargin - 2 * pillHorizontalPadding - iconSize - pillSpacing);
    QStringList reasonLines;
    if (m_failure) {
        const qsizetype colon = m_failure->indexOf(QStringLiteral(": "));
        if (QFontMetricsF(reasonFont).horizontalAdvance(*m_failure) <= reasonWidth || colon < 0)
            reasonLines = {*m_failure};
        else
            reasonLines = {m_failure->left(colon + 1), m_failure->mid(colon + 2)};
    }
    const qreal reasonHeight = reasonLines.isEmpty() ? 0.0
                                                     : reasonLines.size() * reasonLineHeight +
                                                           (reasonLines.size() - 1) * lineSpacing;
    const qreal contentHeight = topRowHeight + (reasonLines.isEmpty() ? 0.0 : failureSpacing + reasonHeight);
    const qreal pillHeight = contentHeight + 2 * pillVerticalPadding;
    // The pill hangs from the bottom margin and never rises into the strip under the notch.
    const qreal minTop = m_hasPhysicalNotch ? m_notchSize.height() + 10.0 : 12.0;
    const qreal bottom = bounds.bottom() - bottomMargin;
    const qreal top = std::max(bottom - pillHeight, minTop);
    m_pillRect =
        QRectF(sideMargin, top, std::max(0.0, bounds.width() - 2 * sideMargin), std::max(0.0, bottom - top));

    const qreal inner = m_pillRect.left() + pillHorizontalPadding;
    qreal right = m_pillRect.right() - pillHorizontalPadding;
    const qreal centreY = reasonLines.isEmpty() ? m_pillRect.center().y()
                                                : m_pillRect.top() + pillVerticalPadding + topRowHeight / 2.0;
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
    setLine(m_headline, m_content.headline, BrimlarkTheme::monoSemibold11());
    setLine(m_secondLine, m_failure ? QString() : m_content.secondLine.value_or(QString()),
            BrimlarkTheme::monoRegular10());
    m_reasonLines.clear();
    m_reasonRect = QRectF(textLeft, centreY + topRowHeight / 2.0 + failureSpacing, reasonWidth, reasonHeight);
    for (const QString& text : std::as_const(reasonLines)) {
        m_reasonLines.emplace_back();
        setLine(m_reasonLines.back(), text, reasonFont, reasonWidth);
    }
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

    // Event, track and calendar texts are drawn as plain text, one cut line each, as laid out
    // when they changed; a repaint of one line leaves the other be.
    if (m_headlineRect.intersects(dirty))
        paintLine(painter, m_headline, m_headlineRect, BrimlarkTheme::textPrimary());
    if (m_content.secondLine && !m_failure && m_secondLineRect.intersects(dirty))
        paintLine(painter, m_secondLine, m_secondLineRect, BrimlarkTheme::textTertiary());
    if (m_reasonRect.intersects(dirty)) {
        const qreal step = QFontMetricsF(BrimlarkTheme::monoRegular10()).height() + lineSpacing;
        QRectF area(m_reasonRect.left(), m_reasonRect.top(), m_reasonRect.width(), step - lineSpacing);
        for (const Line& line : m_reasonLines) {
            paintLine(painter, line, area, BrimlarkTheme::danger());
            area.translate(0, step);
        }
    }
}

void CompactHiddenStatusView::paintLine(QPainter& painter, const Line& line, const QRectF& area,
                                        const QColor& color) const {
    if (line.layout->lineCount() == 0)
        return;
    const QTextLine textLine = line.layout->lineAt(0);
    painter.setPen(color);
    // Centred in its box as a line of the font's height is.
    textLine.draw(&painter, QPointF(area.left(), area.top() + (area.height() - textLine.height()) / 2.0));
}
