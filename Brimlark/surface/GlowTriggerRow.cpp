#include "Brimlark/surface/GlowTriggerRow.h"

#include "Brimlark/kit/AccessibleCheckBox.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SettingsRowLabel.h"
#include "Brimlark/kit/SymbolIcon.h"
#include "Brimlark/surface/SettingsGlowKnob.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

GlowTriggerRow::GlowTriggerRow(const QString& symbol, const QString& title, const QString& subtitle,
                               bool isOn, QWidget* parent)
    : QAbstractButton(parent) {
    setText(title);
    setAccessibleName(title);
    AccessibleCheckBox::expose(this);
    setChecked(isOn);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(8);
    auto* icon = new QLabel(this);
    const int size = QFontMetrics(BrimlarkTheme::monoSemibold11()).height();
    icon->setPixmap(symbolPixmap(symbol, BrimlarkTheme::warning(), QSize(size, size), devicePixelRatioF()));
    icon->setFixedSize(22, 22);
    icon->setAlignment(Qt::AlignCenter);
    row->addWidget(icon);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(3);
    const SettingsRowLabel label = settingsRowLabel(title, subtitle, this);
    texts->addWidget(label.title);
    texts->addWidget(label.subtitle);
    row->addLayout(texts, 1);
    m_knob = new SettingsGlowKnob(isOn, this);
    row->addWidget(m_knob);
}

void GlowTriggerRow::setOn(bool isOn) {
    setChecked(isOn);
    m_knob->setOn(isOn);
}

void GlowTriggerRow::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        showEnabled();
}

void GlowTriggerRow::showEnabled() {
    if (isEnabled()) {
        setGraphicsEffect(nullptr);
        return;
    }
    auto* dim = new QGraphicsOpacityEffect(this);
    dim->setOpacity(0.5);
    setGraphicsEffect(dim);
}

void GlowTriggerRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath card;
    card.addRoundedRect(edge, 10, 10);
    painter.fillPath(card, BrimlarkTheme::surface());
    painter.setPen(QPen(BrimlarkTheme::stroke(), 1.0));
    painter.drawPath(card);
}
