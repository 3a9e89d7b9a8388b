#include "Brimlark/settings/SettingsChoiceRow.h"

#include "Brimlark/kit/BrimlarkRoundedButton.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

BrimlarkRoundedButton::Look optionLook(bool selected) {
    BrimlarkRoundedButton::Look look = BrimlarkRoundedButton::Look::filled(BrimlarkTheme::warning());
    if (!selected) {
        look.fill = BrimlarkTheme::notchBlack();
        look.stroke = BrimlarkTheme::stroke();
        look.text = BrimlarkTheme::textPrimary();
    }
    look.verticalPadding = 10;
    look.horizontalPadding = 4;
    return look;
}

} // namespace

SettingsChoiceRow::SettingsChoiceRow(const QString& title, const QStringList& options, QWidget* parent)
    : QWidget(parent) {
    setAccessibleName(title);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(8);
    column->addWidget(plainLabel(title, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), this));
    auto* row = new QHBoxLayout();
    row->setSpacing(8);
    for (int i = 0; i < options.size(); ++i) {
        auto* button = new BrimlarkRoundedButton(options.at(i), optionLook(false), this);
        // The options share the row's width equally.
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        connect(button, &QAbstractButton::clicked, this, [this, i] { emit chosen(i); });
        row->addWidget(button, 1);
        m_buttons.append(button);
    }
    column->addLayout(row);
}

void SettingsChoiceRow::setSelected(int index) {
    m_selected = index;
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons.at(i)->setLook(optionLook(i == index));
}

void SettingsChoiceRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(tile, BrimlarkTheme::surface());
}
