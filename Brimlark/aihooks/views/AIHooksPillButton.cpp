#include "Brimlark/aihooks/views/AIHooksPillButton.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkCapsule.h"
#include "Brimlark/kit/BrimlarkTheme.h"

#include <QPainter>

AIHooksPillButton::AIHooksPillButton(const QString& title, bool compact, bool filled, const QColor& tint,
                                     QWidget* parent)
    : QAbstractButton(parent), m_compact(compact), m_filled(filled), m_tint(tint) {
    setText(title);
    setAccessibleName(title);
    setFont(compact ? BrimlarkTheme::monoMedium10() : BrimlarkTheme::monoMedium13());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    BrimlarkButtonStyle(0.97, 0.92).apply(this);
}

QSize AIHooksPillButton::sizeHint() const {
    return BrimlarkCapsule::sizeFor(text(), font(), m_compact ? 10 : 14, m_compact ? 7 : 10);
}

void AIHooksPillButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A button that cannot be pressed (an absent action) stays readable but clearly off.
    if (!isEnabled())
        painter.setOpacity(0.4);
    BrimlarkCapsule capsule{m_tint, m_filled, BrimlarkTheme::surface(), 0.2, 0.45};
    capsule.paint(painter, rect(), text(), font());
}
