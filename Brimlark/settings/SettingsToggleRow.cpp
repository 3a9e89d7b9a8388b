#include "Brimlark/settings/SettingsToggleRow.h"

#include "Brimlark/kit/AccessibleCheckBox.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SettingsRowLabel.h"
#include "Brimlark/settings/SettingsToggleKnob.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

SettingsToggleRow::SettingsToggleRow(const QString& title, const QString& subtitle, bool isOn,
                                     QWidget* parent)
    : QAbstractButton(parent) {
    setText(title);
    setAccessibleName(title);
    AccessibleCheckBox::expose(this);
    setChecked(isOn);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(12);
    auto* texts = new QVBoxLayout();
    texts->setSpacing(4);
    const SettingsRowLabel label = settingsRowLabel(title, subtitle, this);
    texts->addWidget(label.title);
    texts->addWidget(label.subtitle);
    row->addLayout(texts, 1);
    m_knob = new SettingsToggleKnob(isOn, this);
    row->addWidget(m_knob, 0, Qt::AlignVCenter);
}

bool SettingsToggleRow::isOn() const {
    return m_knob->isOn();
}

void SettingsToggleRow::setOn(bool isOn, bool animated) {
    m_knob->setOn(isOn, animated);
    setChecked(isOn);
}

void SettingsToggleRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(tile, BrimlarkTheme::surface());
}
