#include "Brimlark/settings/SettingsSliderRow.h"

#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/PlainLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QString rgba(const QColor& color) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

} // namespace

SettingsSliderRow::SettingsSliderRow(const QString& title, int minimum, int maximum, QWidget* parent)
    : QWidget(parent) {
    setAccessibleName(title);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(8);
    auto* line = new QHBoxLayout();
    line->addWidget(plainLabel(title, BrimlarkTheme::monoSemibold12(), BrimlarkTheme::textPrimary(), this));
    line->addStretch(1);
    m_value = plainLabel(QString(), BrimlarkTheme::monoBold13(), BrimlarkTheme::accent(), this);
    line->addWidget(m_value);
    column->addLayout(line);

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setAccessibleName(title);
    m_slider->setRange(minimum, maximum);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);
    m_slider->setCursor(Qt::PointingHandCursor);
    m_slider->setStyleSheet(
        QStringLiteral("QSlider { min-height: 22px; }"
                       "QSlider::groove:horizontal { height: 4px; border-radius: 2px; background: %1; }"
                       "QSlider::sub-page:horizontal { border-radius: 2px; background: %2; }"
                       "QSlider::add-page:horizontal { border-radius: 2px; background: %1; }"
                       "QSlider::handle:horizontal { width: 18px; height: 18px; margin: -7px 0;"
                       " border-radius: 9px; background: %3; border: 1px solid %2; }")
            .arg(rgba(BrimlarkTheme::strokeStrong()), rgba(BrimlarkTheme::warning()),
                 rgba(BrimlarkTheme::textPrimary())));
    m_slider->setFocusPolicy(Qt::StrongFocus);
    m_slider->installEventFilter(this);
    connect(m_slider, &QSlider::valueChanged, this, &SettingsSliderRow::moved);
    column->addWidget(m_slider);
}

QString SettingsSliderRow::valueText() const {
    return m_value->text();
}

void SettingsSliderRow::setValueText(const QString& text) {
    m_value->setText(text);
}

void SettingsSliderRow::setPosition(int step) {
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(step);
}

bool SettingsSliderRow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_slider && event->type() == QEvent::Wheel && !m_slider->hasFocus()) {
        // Left unaccepted, the wheel goes on to the scrolling page.
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsSliderRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(tile, BrimlarkTheme::surface());
}
