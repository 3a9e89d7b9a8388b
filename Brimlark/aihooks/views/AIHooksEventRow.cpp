#include "Brimlark/aihooks/views/AIHooksEventRow.h"

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/aihooks/events/HookInputPreview.h"
#include "Brimlark/aihooks/views/AIHooksDot.h"
#include "Brimlark/aihooks/views/AIHooksPillButton.h"
#include "Brimlark/aihooks/views/AIHooksRowText.h"
#include "Brimlark/aihooks/views/AIHooksView.h"
#include "Brimlark/core/RelativeTimeFormatter.h"
#include "Brimlark/kit/BrimlarkTheme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

QString AIHooksEventRow::shownText(const QString& text) {
    const QString lowered = text.toLower();
    qsizetype cut = std::min(lowered.size(), maxTextLength);
    qsizetype lineBreak = -1;
    for (qsizetype lines = 1; lines <= maxTextLines; ++lines) {
        lineBreak = lowered.indexOf(QLatin1Char('\n'), lineBreak + 1);
        if (lineBreak < 0)
            break;
        if (lines == maxTextLines && !QStringView(lowered).mid(lineBreak).trimmed().isEmpty())
            cut = std::min(cut, lineBreak);
    }
    if (cut == lowered.size())
        return lowered;
    // Leave room for the ellipsis, and never split a surrogate pair.
    if (cut == maxTextLength)
        --cut;
    if (cut > 0 && lowered.at(cut - 1).isHighSurrogate())
        --cut;
    QString shown = lowered.left(cut);
    while (!shown.isEmpty() && shown.back().isSpace())
        shown.chop(1);
    return shown + QChar(0x2026);
}

bool AIHooksEventRow::showsSame(const HookEvent& a, const HookEvent& b) {
    return a.id == b.id && a.status == b.status && a.source == b.source && a.title == b.title &&
           a.detail == b.detail && a.timestamp == b.timestamp && a.toolInput == b.toolInput &&
           a.approveAction.has_value() == b.approveAction.has_value() &&
           a.denyAction.has_value() == b.denyAction.has_value();
}

AIHooksEventRow::AIHooksEventRow(AIHooksService& service, const HookEvent& event, const QDateTime& now,
                                 QWidget* parent)
    : QWidget(parent), m_event(event) {
    const QColor tint = AIHooksView::statusColor(event.status);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 8, 0, 8);
    column->setSpacing(6);

    auto* top = new QHBoxLayout();
    top->setSpacing(8);
    top->addWidget(new AIHooksDot(tint, 7, this));
    top->addWidget(new AIHooksRowText(AIHooksView::sourceLabel(event.source), BrimlarkTheme::monoSemibold11(),
                                      tint, this, false));
    m_time = new AIHooksRowText(RelativeTimeFormatter::string(event.timestamp, now).toLower(),
                                BrimlarkTheme::monoRegular10(), BrimlarkTheme::textTertiary(), this, false);
    top->addWidget(m_time);
    top->addStretch(1);
    column->addLayout(top);

    // A hook can send tens of kilobytes; a row lays out a few lines of each text.
    column->addWidget(new AIHooksRowText(event.title ? shownText(*event.title) : QStringLiteral("event"),
                                         BrimlarkTheme::monoRegular13(), BrimlarkTheme::textPrimary(), this));

    // What the call would run, as given, its lines joined and wrapped to the row: what sets two
    // requests of a tool apart.
    if (const std::optional<QString> whole =
            HookInputPreview::of(event, HookInputPreview::maxToolTipLength)) {
        const QString input = HookInputPreview::oneLine(*whole, HookInputPreview::maxWrappedLength);
        auto* line =
            new AIHooksRowText(input, BrimlarkTheme::monoRegular12(), BrimlarkTheme::textPrimary(), this);
        line->setObjectName(QStringLiteral("toolInput"));
        // A cut line is read whole before it is approved.
        if (input != *whole)
            line->setToolTip(*whole);
        column->addWidget(line);
    }

    const QString detail = shownText(event.detail.value_or(QString()));
    if (!detail.isEmpty()) {
        column->addWidget(
            new AIHooksRowText(detail, BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), this));
    }

    if (event.hasActions()) {
        auto* actions = new QHBoxLayout();
        actions->setContentsMargins(0, 2, 0, 0);
        actions->setSpacing(8);
        auto* allow =
            new AIHooksPillButton(QStringLiteral("allow"), true, true, BrimlarkTheme::accent(), this);
        auto* deny =
            new AIHooksPillButton(QStringLiteral("deny"), true, false, BrimlarkTheme::warning(), this);
        allow->setEnabled(event.approveAction.has_value());
        deny->setEnabled(event.denyAction.has_value());
        // The service dismisses the event only when its action started; one that failed stays
        // listed, and the row says why under its buttons. The service is the receiver: a click
        // after it is gone does nothing.
        AIHooksService* target = &service;
        const QUuid id = event.id;
        const auto run = [this, target, id](HookEvent::Action::Kind kind) {
            if (!target->runAction(id, kind))
                showFailure(target->lastError());
        };
        connect(allow, &QAbstractButton::clicked, target, [run] { run(HookEvent::Action::Kind::approve); });
        connect(deny, &QAbstractButton::clicked, target, [run] { run(HookEvent::Action::Kind::deny); });
        actions->addWidget(allow);
        actions->addWidget(deny);
        actions->addStretch(1);
        column->addLayout(actions);
        m_failure =
            new AIHooksRowText(QString(), BrimlarkTheme::monoRegular12(), BrimlarkTheme::danger(), this);
        m_failure->setObjectName(QStringLiteral("actionFailure"));
        m_failure->setVisible(false);
        column->addWidget(m_failure);
    }
}

void AIHooksEventRow::showTime(const QDateTime& now) {
    const QString text = RelativeTimeFormatter::string(m_event.timestamp, now).toLower();
    if (m_time->text() != text)
        m_time->setText(text);
}

void AIHooksEventRow::showFailure(const QString& text) {
    if (!m_failure)
        return;
    m_failure->setText(text);
    m_failure->setVisible(!text.isEmpty());
}

QString AIHooksEventRow::timeText() const {
    return m_time->text();
}

void AIHooksEventRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRectF(0, height() - 1, width(), 1), BrimlarkTheme::stroke());
}
