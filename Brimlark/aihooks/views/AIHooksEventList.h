#pragma once

#include <QList>
#include <QWidget>

// The AI hooks page's rows, top to bottom, each as tall as it asks to be for the list's width and
// as wide as the list, with nothing between them. A row that joins or leaves moves only the rows
// below it; the rows above keep their place untouched, and no row is measured again unless the
// list's width changes or a row asks to be.
class AIHooksEventList : public QWidget {
    Q_OBJECT
public:
    explicit AIHooksEventList(QWidget* parent = nullptr);

    int count() const { return int(m_rows.size()); }
    QWidget* rowAt(int index) const { return m_rows.at(index).widget; }
    // The place of `row` in the list, or -1.
    int indexOf(const QWidget* row) const;
    // Puts `row`, a child of this list, at `index`.
    void insertRow(int index, QWidget* row);
    // Takes `row` out of the list; the widget stays the caller's.
    void removeRow(QWidget* row);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Row {
        QWidget* widget = nullptr;
        // Its height at the width the rows were placed for; below 0 until measured.
        int height = -1;
        // The width it would like and the least it takes.
        int hintWidth = 0;
        int minimumWidth = 0;
    };

    static int heightOf(const QWidget* row, int width);
    // Measures every row at the list's width and places those that moved or changed size.
    void placeAll();
    // Places the rows from `index` down, the row at `index` at `top`.
    void placeFrom(int index, int top);
    void setTotal(int total);
    void measureWidths() const;

    QList<Row> m_rows;
    // The widest of the rows' preferred and of their least widths, once asked; both below 0
    // while not known.
    mutable int m_widestHint = -1;
    mutable int m_widestMinimum = -1;
    // The width the rows were measured and placed for; -1 while they never were.
    int m_placedWidth = -1;
    int m_total = 0;
};
