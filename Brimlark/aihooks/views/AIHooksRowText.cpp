#include "Brimlark/aihooks/views/AIHooksRowText.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLine>

#include <algorithm>
#include <cmath>

AIHooksRowText::AIHooksRowText(const QString& text, const QFont& font, const QColor& color, QWidget* parent,
                               bool wrap)
    : QLabel(text, parent) {
    // As the kit's plain labels: texts from outside are never read as rich text, and a label
    // inside a button keeps the window's text role.
    setTextFormat(Qt::PlainText);
    setFont(font);
    setForegroundRole(QPalette::WindowText);
    QPalette shade = palette();
    shade.setColor(QPalette::WindowText, color);
    setPalette(shade);
    setWordWrap(wrap);
}

bool AIHooksRowText::plain() const {
    return isEnabled() && frameWidth() == 0 && margin() == 0 && indent() <= 0 &&
           layoutDirection() == Qt::LeftToRight && minimumWidth() == 0 && !text().isEmpty() &&
           !text().contains(u'\t') &&
           !(alignment() & (Qt::AlignRight | Qt::AlignHCenter | Qt::AlignJustify | Qt::AlignBottom));
}

int AIHooksRowText::heightForWidth(int width) const {
    if (m_measured != text()) {
        forgetHeights();
        m_measured = text();
    }
    for (const Height& known : m_heights)
        if (known.width == width)
            return known.height;
    const int height = plain() ? sizeForWidth(width).height() : QLabel::heightForWidth(width);
    m_heights[m_nextHeight] = {width, height};
    m_nextHeight = (m_nextHeight + 1) % m_heights.size();
    return height;
}

QSize AIHooksRowText::sizeHint() const {
    if (!plain())
        return QLabel::sizeHint();
    (void)minimumSizeHint();
    return m_sizeHint;
}

QSize AIHooksRowText::minimumSizeHint() const {
    if (!plain())
        return QLabel::minimumSizeHint();
    ensurePolished();
    if (m_shapedText != text() || !m_layout)
        m_minimumSizeHint = QSize();
    if (m_minimumSizeHint.isValid())
        return m_minimumSizeHint;
    // As the label: the size it would like, one line's height, and the widest word's width.
    m_sizeHint = sizeForWidth(-1);
    QSize smallest(sizeForWidth(0).width(), sizeForWidth(QWIDGETSIZE_MAX).height());
    smallest.setHeight(std::min(smallest.height(), m_sizeHint.height()));
    m_minimumSizeHint = smallest;
    return m_minimumSizeHint;
}

void AIHooksRowText::changeEvent(QEvent* event) {
    // Whatever decides how the text breaks: its font, the style, the margins around it.
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange:
    case QEvent::LayoutDirectionChange:
        forgetHeights();
        m_layout.reset();
        m_minimumSizeHint = QSize();
        break;
    default:
        break;
    }
    QLabel::changeEvent(event);
}

void AIHooksRowText::forgetHeights() const {
    m_heights.fill(Height{});
    m_nextHeight = 0;
}

QTextLayout& AIHooksRowText::shaped() const {
    if (m_layout && m_shapedText == text())
        return *m_layout;
    m_shapedText = text();
    m_laidOutArea = QRect();
    m_minimumSizeHint = QSize();
    const QFont shown(font(), this);
    // Line breaks within the text break lines; carriage returns show as spaces.
    QString laid = m_shapedText;
    for (QChar& c : laid) {
        if (c == u'\r')
            c = u' ';
        else if (c == u'\n')
            c = QChar::LineSeparator;
    }
    m_breakless = !laid.contains(QChar::LineSeparator);
    m_unbrokenWidth = -1;
    m_layoutUnbroken = false;
    const QFontMetricsF metrics(shown);
    m_leading = metrics.leading();
    m_overhang = std::max<qreal>(0, -metrics.minRightBearing()) + 1;
    m_layout = std::make_unique<QTextLayout>(laid, shown);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment(Qt::AlignLeft);
    if (!wordWrap())
        option.setFlags(option.flags() | QTextOption::IncludeTrailingSpaces);
    m_layout->setTextOption(option);
    m_layout->setCacheEnabled(true);
    return *m_layout;
}

void AIHooksRowText::layOutUnbroken() const {
    QTextLayout& layout = shaped();
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(qreal(0x01000000));
    line.setPosition(QPointF(0, 0));
    m_unbrokenHeight = line.ascent() + line.descent();
    m_unbrokenWidth = line.naturalTextWidth();
    // Nothing breaks the text but a line break of its own; should anything else, the text is
    // broken as any other.
    if (layout.createLine().isValid())
        m_breakless = false;
    layout.endLayout();
    m_layoutUnbroken = true;
    m_laidOutArea = QRect();
}

bool AIHooksRowText::fitsOnOneLine(qreal lineWidth) const {
    shaped();
    if (!m_breakless)
        return false;
    if (m_unbrokenWidth < 0)
        layOutUnbroken();
    return m_breakless && lineWidth >= m_unbrokenWidth + m_overhang;
}

qreal AIHooksRowText::layOutLines(qreal lineWidth, qreal stopAt, qreal& widest) const {
    if (fitsOnOneLine(lineWidth)) {
        widest = m_unbrokenWidth;
        return m_unbrokenHeight;
    }
    QTextLayout& layout = shaped();
    m_layoutUnbroken = false;
    m_laidOutArea = QRect();
    const qreal leading = m_leading;
    qreal height = -leading;
    widest = 0;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(lineWidth);
        height += leading;
        // Lines sit on whole pixels.
        height = std::ceil(height);
        line.setPosition(QPointF(0, height));
        height += line.ascent() + line.descent();
        widest = std::max(widest, line.naturalTextWidth());
        if (stopAt > 0 && height >= stopAt)
            break;
    }
    layout.endLayout();
    return height;
}

QRect AIHooksRowText::boundingRect(int width) const {
    // Unwrapped, a line is as long as the text.
    const qreal lineWidth = wordWrap() ? std::max<qreal>(0, width) : qreal(0x01000000);
    qreal widest = 0;
    const qreal height = layOutLines(lineWidth, 0, widest);
    return QRectF(0, 0, widest, height).toAlignedRect();
}

QSize AIHooksRowText::sizeForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const QSize around(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QFontMetrics metrics = fontMetrics();
    // Asked for the width it would like, a wrapped text tries ever narrower widths while it stays
    // short.
    const bool tryWidth = width < 0 && wordWrap();
    if (tryWidth)
        width = std::min(metrics.averageCharWidth() * 80, maximumSize().width());
    else if (width < 0)
        width = 2000;
    width -= around.width();
    QRect bounds = boundingRect(width);
    if (tryWidth && bounds.height() < 4 * metrics.lineSpacing() && bounds.width() > width / 2)
        bounds = boundingRect(width / 2);
    if (tryWidth && bounds.height() < 2 * metrics.lineSpacing() && bounds.width() > width / 4)
        bounds = boundingRect(width / 4);
    return (bounds.size() + around).expandedTo(minimumSize());
}

void AIHooksRowText::paintEvent(QPaintEvent* event) {
    if (!plain()) {
        QLabel::paintEvent(event);
        return;
    }
    const QRect area = contentsRect();
    QTextLayout& layout = shaped();
    if (m_laidOutArea != area) {
        // Unwrapped, a line is as long as the text; lines past the label's bottom never show.
        const qreal lineWidth = wordWrap() ? std::max<qreal>(0, area.width()) : qreal(0x01000000);
        m_laidOutHeight = layOutLines(lineWidth, area.height(), m_laidOutWidth);
        // Measured unbroken, the line is drawn as laid out unbroken.
        if (fitsOnOneLine(lineWidth) && !m_layoutUnbroken)
            layOutUnbroken();
        m_laidOutArea = area;
    }

    QPainter painter(this);
    painter.setPen(QPen(palette().brush(foregroundRole()), painter.pen().widthF()));
    const qreal top = (alignment() & Qt::AlignVCenter) ? (area.height() - m_laidOutHeight) / 2 : 0;
    const QPointF origin(area.x(), area.y() + top);
    // Text that does not fit is cut at the label's edges.
    if (!QRectF(area).contains(QRectF(origin, QSizeF(m_laidOutWidth, m_laidOutHeight))))
        painter.setClipRect(QRectF(area), Qt::IntersectClip);
    for (int i = 0; i < layout.lineCount(); ++i)
        layout.lineAt(i).draw(&painter, origin);
}
