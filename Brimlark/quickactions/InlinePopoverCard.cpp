#include "Brimlark/quickactions/InlinePopoverCard.h"

#include "Brimlark/kit/BrimlarkTheme.h"

#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr qreal cornerRadius = 18;
}

InlinePopoverCard::InlinePopoverCard(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

QLineEdit* InlinePopoverCard::makeField(const QString& placeholder) {
    auto* field = new QLineEdit(this);
    field->setFrame(false);
    field->setPlaceholderText(placeholder);
    field->setFont(BrimlarkTheme::monoRegular13());
    field->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, BrimlarkTheme::textPrimary());
    palette.setColor(QPalette::PlaceholderText, BrimlarkTheme::textTertiary());
    palette.setColor(QPalette::Highlight, BrimlarkTheme::mutedFill());
    palette.setColor(QPalette::HighlightedText, BrimlarkTheme::textPrimary());
    field->setPalette(palette);
    field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_field = field;
    return field;
}

void InlinePopoverCard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_field)
        m_field->setFocus(Qt::OtherFocusReason);
}

void InlinePopoverCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath card;
    card.addRoundedRect(edge, cornerRadius, cornerRadius);
    QColor fill = BrimlarkTheme::surface();
    fill.setAlphaF(0.96f);
    painter.fillPath(card, fill);
    painter.setPen(QPen(BrimlarkTheme::stroke(), 1));
    painter.drawPath(card);
}
