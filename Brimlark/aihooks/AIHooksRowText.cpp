#include "Brimlark/aihooks/AIHooksRowText.h"

#include <QEvent>

AIHooksRowText::AIHooksRowText(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
    : QLabel(text, parent) {
    // As the kit's plain labels: texts from outside are never read as rich text, and a label
    // inside a button keeps the window's text role.
    setTextFormat(Qt::PlainText);
    setFont(font);
    setForegroundRole(QPalette::WindowText);
    QPalette shade = palette();
    shade.setColor(QPalette::WindowText, color);
    setPalette(shade);
    setWordWrap(true);
}

int AIHooksRowText::heightForWidth(int width) const {
    if (m_measured != text()) {
        forgetHeights();
        m_measured = text();
    }
    for (const Height& known : m_heights)
        if (known.width == width)
            return known.height;
    const int height = QLabel::heightForWidth(width);
    m_heights[m_nextHeight] = {width, height};
    m_nextHeight = (m_nextHeight + 1) % m_heights.size();
    return height;
}

void AIHooksRowText::changeEvent(QEvent* event) {
    // Whatever decides how the text breaks: its font, the style, the margins around it.
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange:
    case QEvent::LayoutDirectionChange:
        forgetHeights();
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
