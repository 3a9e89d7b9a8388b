#include "Brimlark/controls/TimerPickerPopover.h"

#include "Brimlark/controls/TimerService.h"
#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkCapsule.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <array>

namespace {

// The lengths offered, in seconds, in the order shown.
constexpr std::array<int, 3> choices{900, 1800, 3600};
constexpr qreal horizontalPadding = 8;
constexpr qreal verticalPadding = 4;
constexpr qreal cardRadius = 14;

// One length: its minutes and "m" in the primary text colour on a capsule outlined in the accent;
// the outline is solid while the keyboard is on it.
class LengthButton : public QAbstractButton {
public:
    LengthButton(int minutes, QWidget* parent) : QAbstractButton(parent) {
        setText(QString::number(minutes) + QStringLiteral("m"));
        setAccessibleName(QStringLiteral("Start %1 minute timer").arg(minutes));
        setFont(BrimlarkTheme::monoSemibold11());
        setCursor(Qt::PointingHandCursor);
        // Reached from the keyboard; a click leaves the focus where it is.
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        BrimlarkButtonStyle(0.94, 0.92).apply(this);
    }

    QSize sizeHint() const override {
        return BrimlarkCapsule::sizeFor(text(), font(), horizontalPadding, verticalPadding);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const BrimlarkCapsule capsule{BrimlarkTheme::accent(), false, Qt::transparent, 0.25,
                                      hasFocus() ? 1.0 : 0.5};
        capsule.paint(painter, rect(), QString(), font());
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(font());
        painter.setPen(BrimlarkTheme::textPrimary());
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    }
};

} // namespace

TimerPickerPopover::TimerPickerPopover(TimerService& service, std::function<void()> onPick, QWidget* parent)
    : QWidget(parent), m_service(&service), m_onPick(std::move(onPick)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(QStringLiteral("timer length"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 8, 12, 10);
    column->setSpacing(6);
    column->addWidget(plainLabel(QStringLiteral("start a timer"), BrimlarkTheme::monoRegular10(),
                                 BrimlarkTheme::textTertiary(), this));
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    for (const int seconds : choices) {
        auto* button = new LengthButton(seconds / 60, this);
        connect(button, &QAbstractButton::clicked, this, [this, seconds] { pick(seconds); });
        row->addWidget(button, 0, Qt::AlignVCenter);
        m_lengths.append(button);
    }
    column->addLayout(row);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TimerPickerPopover::focusFirstLength() {
    m_lengths.first()->setFocus(Qt::OtherFocusReason);
}

void TimerPickerPopover::keyPressEvent(QKeyEvent* event) {
    // The lengths pass on what they do not take: Escape, and Return (a button takes only Space).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit dismissRequested();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* length = qobject_cast<QAbstractButton*>(focusWidget()); length && isAncestorOf(length)) {
            event->accept();
            length->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void TimerPickerPopover::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath card;
    card.addRoundedRect(edge, cardRadius, cardRadius);
    QColor fill = BrimlarkTheme::surface();
    fill.setAlphaF(0.97f);
    painter.fillPath(card, fill);
    painter.setPen(QPen(BrimlarkTheme::strokeStrong(), 1));
    painter.drawPath(card);
}

void TimerPickerPopover::pick(double seconds) {
    if (!m_service)
        return;
    TimerService* service = m_service;
    // Asked on a later turn, after the start below, so the first timer brings up the permission
    // question; every pick asks again and the answer is followed.
    QMetaObject::invokeMethod(
        service, [service] { service->requestAuthorization(); }, Qt::QueuedConnection);
    service->start(seconds);
    if (m_onPick)
        m_onPick();
}
