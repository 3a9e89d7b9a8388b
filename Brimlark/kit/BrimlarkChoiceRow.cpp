#include "Brimlark/kit/BrimlarkChoiceRow.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

BrimlarkChoiceRow::BrimlarkChoiceRow(const QString& title, const QString& subtitle, const Look& look,
                                     QWidget* parent)
    : QAbstractButton(parent), m_look(look) {
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(8);
    m_radio = new QLabel(this);
    m_radio->setContentsMargins(0, look.markTopInset, 0, 0);
    row->addWidget(m_radio, 0, look.markAlignment);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(look.textSpacing);
    QLabel* heading = plainLabel(title, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), this);
    heading->setWordWrap(look.wrapTitle);
    QLabel* description =
        plainLabel(subtitle, BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), this);
    description->setWordWrap(true);
    texts->addWidget(heading);
    texts->addWidget(description);
    row->addLayout(texts, 1);
    showRadio();
    BrimlarkButtonStyle(0.98, 0.92).apply(this);
}

void BrimlarkChoiceRow::setSelected(bool selected) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    showRadio();
    update();
}

void BrimlarkChoiceRow::showRadio() {
    const int size = QFontMetrics(BrimlarkTheme::monoSemibold11()).height();
    m_radio->setPixmap(
        symbolPixmap(m_selected ? QStringLiteral("largecircle.fill.circle") : QStringLiteral("circle"),
                     m_selected ? BrimlarkTheme::warning() : BrimlarkTheme::textTertiary(), QSize(size, size),
                     devicePixelRatioF()));
}

void BrimlarkChoiceRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    QColor tint = BrimlarkTheme::warning();
    tint.setAlphaF(0.1f);
    QColor rim = BrimlarkTheme::warning();
    rim.setAlphaF(0.5f);
    painter.fillPath(card, m_selected && m_look.tintWhenSelected ? tint : BrimlarkTheme::surface());
    painter.setPen(QPen(m_selected ? rim : BrimlarkTheme::stroke(), 1.0));
    painter.drawPath(card);
}
