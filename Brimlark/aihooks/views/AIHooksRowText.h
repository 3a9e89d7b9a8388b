#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>
#include <QTextLayout>

#include <array>
#include <memory>

// A plain-text label of an event row, word-wrapped unless asked otherwise, that remembers its height for the
// last few widths it was asked about, and its text laid out for the place it paints it in. A list of rows
// asks every row's texts again whenever the list changes (once for the width they would like, once
// for the width they get), and repaints the rows it moves; laying out the text anew each time
// would be most of what such a change costs. It paints exactly as a plain label with the same
// wrapping does.
class AIHooksRowText : public QLabel {
    Q_OBJECT
public:
    AIHooksRowText(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr,
                   bool wrap = true);

    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void forgetHeights() const;
    // True when the label's plain measuring and painting below apply: no frame, margin, indent,
    // minimum width or tab, left to right, enabled and not empty. Otherwise the label does both
    // itself.
    bool plain() const;
    // The text shaped once for the current text and font; its lines are laid out as needed.
    QTextLayout& shaped() const;
    // Breaks the shaped text into lines `lineWidth` wide, as the painter's text drawing does,
    // stopping once `stopAt` (when above 0) is reached. Returns the height of the lines and sets
    // `widest` to the widest line. A text that fits on one line is measured without breaking it
    // again.
    qreal layOutLines(qreal lineWidth, qreal stopAt, qreal& widest) const;
    // True when the whole text fits on one line `lineWidth` wide. Most row texts are one short
    // line: laid out once, unbroken, that line serves every width it fits in, for measuring and
    // painting alike.
    bool fitsOnOneLine(qreal lineWidth) const;
    // Lays the text out as one unbroken line, and measures it.
    void layOutUnbroken() const;
    // The label's size for `width` (-1: the width it would like), as the label measures itself.
    QSize sizeForWidth(int width) const;
    QRect boundingRect(int width) const;

    struct Height {
        int width = -1;
        int height = 0;
    };
    // The text the heights were measured for.
    mutable QString m_measured;
    mutable std::array<Height, 4> m_heights;
    mutable size_t m_nextHeight = 0;

    // The shaped text, the text it was shaped from, the area its lines are laid out for (none when
    // laid out for measuring), and the height and width of those lines.
    mutable std::unique_ptr<QTextLayout> m_layout;
    mutable QString m_shapedText;
    mutable QRect m_laidOutArea;
    mutable qreal m_laidOutHeight = 0;
    mutable qreal m_laidOutWidth = 0;
    // The space between lines, and what a line needs beyond its text's width to stay unbroken
    // (the last glyph's overhang, and a pixel for rounding).
    mutable qreal m_leading = 0;
    mutable qreal m_overhang = 0;
    // Whether the text has no line break of its own; the width and height of its unbroken line
    // (a width below 0 until measured); whether the layout holds that line now.
    mutable bool m_breakless = false;
    mutable qreal m_unbrokenWidth = -1;
    mutable qreal m_unbrokenHeight = 0;
    mutable bool m_layoutUnbroken = false;
    // The size hints for the current text and font, once asked.
    mutable QSize m_sizeHint;
    mutable QSize m_minimumSizeHint;
};
