#include "Brimlark/surface/GlowModeRow.h"

#include "Brimlark/kit/BrimlarkButtonStyle.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {
QLabel* wrappingLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    QLabel* label = plainLabel(text, font, color, parent);
    label->setWordWrap(true);
    return label;
}
} // namespace

GlowModeRow::GlowModeRow(HaloMode mode, QWidget* parent) : QAbstractButton(parent), m_mode(mode) {
    setText(title(mode).toLower());
    setAccessibleName(text());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(8);
    m_radio = new QLabel(this);
    m_radio->setContentsMargins(0, 2, 0, 0);
    row->addWidget(m_radio, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(0);
    texts->addWidget(
        wrappingLabel(text(), BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), this));
    texts->addWidget(
        wrappingLabel(subtitle(mode), BrimlarkTheme::monoRegular12(), BrimlarkTheme::textSecondary(), this));
    row->addLayout(texts, 1);
    showRadio();
    BrimlarkButtonStyle(0.98, 0.92).apply(this);
}

QString GlowModeRow::title(HaloMode mode) {
    switch (mode) {
    case HaloMode::off:
        return QStringLiteral("Off");
    case HaloMode::oneShot:
        return QStringLiteral("Brief glow on event");
    case HaloMode::persistent:
        return QStringLiteral("Pulse until I look");
    case HaloMode::ambient:
        break;
    }
    return QStringLiteral("Always-on ambient");
}

QString GlowModeRow::subtitle(HaloMode mode) {
    switch (mode) {
    case HaloMode::off:
        return QStringLiteral("No glow.");
    case HaloMode::oneShot:
        return QStringLiteral("Soft halo for ~1.5 s when something arrives.");
    case HaloMode::persistent:
        return QStringLiteral("Keeps pulsing around the notch until you click it.");
    case HaloMode::ambient:
        break;
    }
    return QStringLiteral("The notch glows constantly, cycling through accent colors.");
}

void GlowModeRow::setSelected(bool selected) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    showRadio();
    update();
}

void GlowModeRow::showRadio() {
    const int size = QFontMetrics(BrimlarkTheme::monoSemibold11()).height();
    m_radio->setPixmap(
        symbolPixmap(m_selected ? QStringLiteral("largecircle.fill.circle") : QStringLiteral("circle"),
                     m_selected ? BrimlarkTheme::warning() : BrimlarkTheme::textTertiary(), QSize(size, size),
                     devicePixelRatioF()));
}

void GlowModeRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath card;
    card.addRoundedRect(edge, 10, 10);
    QColor fill = BrimlarkTheme::warning();
    fill.setAlphaF(0.1f);
    QColor rim = BrimlarkTheme::warning();
    rim.setAlphaF(0.5f);
    painter.fillPath(card, m_selected ? fill : BrimlarkTheme::surface());
    painter.setPen(QPen(m_selected ? rim : BrimlarkTheme::stroke(), 1.0));
    painter.drawPath(card);
}
