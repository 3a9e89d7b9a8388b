#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

#include <array>

// A word-wrapped, plain-text label of an event row that remembers its height for the last few
// widths it was asked about. A list of rows asks every row's texts again whenever the list
// changes (once for the width they would like, once for the width they get), and laying out the
// text anew each time is most of what such a change would cost.
class AIHooksRowText : public QLabel {
    Q_OBJECT
public:
    AIHooksRowText(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);

    int heightForWidth(int width) const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void forgetHeights() const;

    struct Height {
        int width = -1;
        int height = 0;
    };
    // The text the heights were measured for.
    mutable QString m_measured;
    mutable std::array<Height, 4> m_heights;
    mutable size_t m_nextHeight = 0;
};
