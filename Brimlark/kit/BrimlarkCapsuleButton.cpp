#include "Brimlark/kit/BrimlarkCapsuleButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkCapsule.h"

#include <QPainter>

BrimlarkCapsuleButton::BrimlarkCapsuleButton(const QString& title, const Look& look, const QFont& font,
                                             QWidget* parent)
    : QAbstractButton(parent), m_look(look) {
    setText(title);
    setAccessibleName(title);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    BrimlarkButtonStyle(0.97, 0.92).apply(this);
}

QSize BrimlarkCapsuleButton::sizeHint() const {
    return BrimlarkCapsule::sizeFor(text(), font(), m_look.horizontalPadding, m_look.verticalPadding);
}

void BrimlarkCapsuleButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A button that cannot be pressed is shown faded.
    if (!isEnabled())
        painter.setOpacity(0.4);
    const BrimlarkCapsule capsule{m_look.tint, m_look.filled, Qt::transparent,
                                  m_look.filled ? 0.0 : m_look.rimOpacity, m_look.rimOpacity};
    capsule.paint(painter, rect(), text(), font());
}
