#include "Brimlark/controls/TimerPickerPopover.h"

#include "Brimlark/controls/TimerService.h"
#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkCapsule.h"
#include "Brimlark/kit/BrimlarkTheme.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>

#include <array>

namespace {

// The lengths offered, in seconds, in the order shown.
constexpr std::array<int, 3> choices{900, 1800, 3600};
constexpr qreal horizontalPadding = 8;
constexpr qreal verticalPadding = 4;

// One length: its minutes and "m" in the primary text colour on a capsule outlined in the accent.
class LengthButton : public QAbstractButton {
public:
    LengthButton(int minutes, QWidget* parent) : QAbstractButton(parent) {
        setText(QString::number(minutes) + QStringLiteral("m"));
        setAccessibleName(QStringLiteral("Start %1 minute timer").arg(minutes));
        setFont(BrimlarkTheme::monoSemibold11());
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        BrimlarkButtonStyle(0.94, 0.92).apply(this);
    }

    QSize sizeHint() const override {
        return BrimlarkCapsule::sizeFor(text(), font(), horizontalPadding, verticalPadding);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const BrimlarkCapsule capsule{BrimlarkTheme::accent(), false, Qt::transparent, 0.25, 0.5};
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
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    for (const int seconds : choices) {
        auto* button = new LengthButton(seconds / 60, this);
        connect(button, &QAbstractButton::clicked, this, [this, seconds] { pick(seconds); });
        row->addWidget(button, 0, Qt::AlignVCenter);
    }
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
