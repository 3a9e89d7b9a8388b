#include "Brimlark/kit/LineClampLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

LineClampLabel::LineClampLabel(const QString& text, const QFont& font, const QColor& color, int maxLines,
                               QWidget* parent)
    : QWidget(parent), m_text(text), m_color(color), m_maxLines(std::max(1, maxLines)) {
    setFont(font);
    setAccessibleName(text);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QStringList LineClampLabel::linesFor(int width) const {
    QStringList lines;
    if (m_text.isEmpty() || width <= 0)
        return lines;
    const QFontMetricsF metrics(font());
    QTextLayout layout(m_text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (lines.size() < m_maxLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        if (lines.size() == m_maxLines - 1) {
            // The last line takes the rest, cut to fit.
            lines.append(
                metrics.elidedText(m_text.mid(line.textStart()).simplified(), Qt::ElideRight, width));
            break;
        }
        lines.append(m_text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

int LineClampLabel::heightForWidth(int width) const {
    const int count = std::max<int>(1, int(linesFor(width).size()));
    return int(std::ceil(QFontMetricsF(font()).lineSpacing() * count));
}

QSize LineClampLabel::sizeHint() const {
    const QFontMetricsF metrics(font());
    const int width = int(std::ceil(std::min<qreal>(metrics.horizontalAdvance(m_text), 320)));
    return {width, heightForWidth(width)};
}

QSize LineClampLabel::minimumSizeHint() const {
    return {0, int(std::ceil(QFontMetricsF(font()).lineSpacing()))};
}

void LineClampLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font());
    painter.setPen(m_color);
    const QFontMetricsF metrics(font());
    qreal y = 0;
    for (const QString& line : linesFor(width())) {
        painter.drawText(QPointF(0, y + metrics.ascent()), line);
        y += metrics.lineSpacing();
    }
}
