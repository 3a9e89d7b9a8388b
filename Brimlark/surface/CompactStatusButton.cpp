#include "Brimlark/surface/CompactStatusButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkCapsule.h"
#include "Brimlark/kit/BrimlarkTheme.h"

#include <QPainter>

namespace {

constexpr qreal horizontalPadding = 8.0;
constexpr qreal verticalPadding = 5.0;

} // namespace

CompactStatusButton::CompactStatusButton(const QString& label, const QColor& tint, bool prominent,
                                         QWidget* parent)
    : QAbstractButton(parent), m_tint(tint), m_prominent(prominent) {
    setText(label);
    setAccessibleName(label);
    setFont(BrimlarkTheme::monoMedium10());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    BrimlarkButtonStyle(0.95, 0.92).apply(this);
}

QSize CompactStatusButton::sizeHint() const {
    return BrimlarkCapsule::sizeFor(text(), font(), horizontalPadding, verticalPadding);
}

void CompactStatusButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    BrimlarkCapsule capsule{m_tint, m_prominent, BrimlarkTheme::notchBlack(), 0.25, 0.5};
    capsule.paint(painter, rect(), text(), font());
}
