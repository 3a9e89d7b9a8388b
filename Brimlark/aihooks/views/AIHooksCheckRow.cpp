#include "Brimlark/aihooks/views/AIHooksCheckRow.h"

#include "Brimlark/kit/AccessibleCheckBox.h"
#include "Brimlark/kit/BrimlarkTheme.h"
#include "Brimlark/kit/SymbolIcon.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

namespace {
constexpr qreal spacing = 8;

qreal symbolSize() {
    return QFontMetricsF(BrimlarkTheme::monoSemibold11()).height();
}
} // namespace

AIHooksCheckRow::AIHooksCheckRow(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    setText(title);
    setAccessibleName(title);
    AccessibleCheckBox::expose(this);
    setFont(BrimlarkTheme::monoSemibold12());
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void AIHooksCheckRow::setOn(bool on) {
    if (m_on == on)
        return;
    m_on = on;
    setChecked(on);
    update();
}

QSize AIHooksCheckRow::sizeHint() const {
    const QFontMetricsF metrics(font());
    return {qCeil(symbolSize() + spacing + metrics.horizontalAdvance(text())),
            qCeil(qMax(metrics.height(), symbolSize()))};
}

void AIHooksCheckRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const qreal symbol = symbolSize();
    paintSymbol(painter, QRectF(0, (height() - symbol) / 2, symbol, symbol),
                m_on ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"),
                m_on ? BrimlarkTheme::warning() : BrimlarkTheme::textTertiary());
    painter.setFont(font());
    painter.setPen(BrimlarkTheme::textPrimary());
    painter.drawText(QRectF(symbol + spacing, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
}
