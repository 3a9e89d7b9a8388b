#include "Brimlark/settings/SettingsSidebarRow.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QPainter>

SettingsSidebarRow::SettingsSidebarRow(SettingsTab tab, QWidget* parent)
    : QAbstractButton(parent), m_tab(tab) {
    setAccessibleName(SettingsTabs::title(tab));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsSidebarRow::setSelected(bool selected) {
    m_selected = selected;
    update();
}

QSize SettingsSidebarRow::sizeHint() const {
    return {196, 34};
}

void SettingsSidebarRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_selected) {
        QColor fill = BrimlarkTheme::warning();
        fill.setAlphaF(0.1f);
        QColor outline = BrimlarkTheme::warning();
        outline.setAlphaF(0.4f);
        painter.setBrush(fill);
        painter.setPen(QPen(outline, 1));
        painter.drawRoundedRect(box, 10, 10);
    }
    const QRectF iconRect(8, (height() - 18) / 2.0, 18, 18);
    const QString symbol = SettingsTabs::systemImage(m_tab);
    if (hasSymbol(symbol))
        paintSymbol(painter, iconRect.adjusted(2, 2, -2, -2), symbol,
                    m_selected ? BrimlarkTheme::warning() : BrimlarkTheme::textSecondary());
    QFont font = BrimlarkTheme::monoFont(13, m_selected ? QFont::DemiBold : QFont::Normal);
    painter.setFont(font);
    painter.setPen(m_selected ? BrimlarkTheme::textPrimary() : BrimlarkTheme::textSecondary());
    painter.drawText(QRectF(iconRect.right() + 8, 0, width() - iconRect.right() - 16, height()),
                     Qt::AlignVCenter | Qt::AlignLeft, SettingsTabs::title(m_tab));
}
