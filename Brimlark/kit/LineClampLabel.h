#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

// Plain text wrapped at word boundaries onto at most `maxLines` lines, the last one cut with an
// ellipsis when the text is longer. Its height follows its width.
class LineClampLabel : public QWidget {
    Q_OBJECT
public:
    LineClampLabel(const QString& text, const QFont& font, const QColor& color, int maxLines,
                   QWidget* parent = nullptr);

    QString text() const { return m_text; }
    // The lines as drawn at `width`.
    QStringList linesFor(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_color;
    int m_maxLines;
};
