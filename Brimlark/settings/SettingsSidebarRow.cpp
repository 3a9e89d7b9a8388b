#include "Brimlark/settings/SettingsSidebarRow.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/ColorBlend.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QPainter>
#include <QVariantAnimation>

namespace {

// The symbol as large as a bold 13-point glyph, in a column 18 points wide.
constexpr qreal symbolColumn = 18;
constexpr qreal symbolSide = 14;

} // namespace

SettingsSidebarRow::SettingsSidebarRow(SettingsTab tab, QWidget* parent)
    : QAbstractButton(parent), m_tab(tab), m_animation(new QVariantAnimation(this)) {
    setAccessibleName(SettingsTabs::title(tab));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const BrimlarkAnimation& ease = BrimlarkTheme::quickEase();
    m_animation->setDuration(ease.durationMs());
    m_animation->setEasingCurve(ease.easingCurve());
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_highlight = value.toReal();
        update();
    });
}

void SettingsSidebarRow::setSelected(bool selected, bool animated) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    m_animation->stop();
    const qreal target = selected ? 1.0 : 0.0;
    if (!animated || !isVisible()) {
        m_highlight = target;
        update();
        return;
    }
    m_animation->setStartValue(m_highlight);
    m_animation->setEndValue(target);
    m_animation->start();
}

QSize SettingsSidebarRow::sizeHint() const {
    return {196, 34};
}

QRectF SettingsSidebarRow::symbolRect() const {
    const QPointF c(8 + symbolColumn / 2, height() / 2.0);
    return {c.x() - symbolSide / 2, c.y() - symbolSide / 2, symbolSide, symbolSide};
}

void SettingsSidebarRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_highlight > 0) {
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(ColorBlend::faded(BrimlarkTheme::warning(), 0.1 * m_highlight));
        painter.setPen(QPen(ColorBlend::faded(BrimlarkTheme::warning(), 0.4 * m_highlight), 1));
        painter.drawRoundedRect(box, 10, 10);
    }
    paintSymbol(painter, symbolRect(), SettingsTabs::systemImage(m_tab),
                ColorBlend::blend(BrimlarkTheme::textSecondary(), BrimlarkTheme::warning(), m_highlight));
    // Built once: a font made afresh is resolved afresh on every paint.
    static const QFont regular = BrimlarkTheme::monoFont(13, QFont::Normal);
    static const QFont semibold = BrimlarkTheme::monoFont(13, QFont::DemiBold);
    painter.setFont(m_selected ? semibold : regular);
    painter.setPen(
        ColorBlend::blend(BrimlarkTheme::textSecondary(), BrimlarkTheme::textPrimary(), m_highlight));
    const qreal textLeft = 8 + symbolColumn + 8;
    painter.drawText(QRectF(textLeft, 0, width() - textLeft - 8, height()), Qt::AlignVCenter | Qt::AlignLeft,
                     SettingsTabs::title(m_tab));
}
