#pragma once

#include "Brimlark/shelf/ShelfItem.h"

#include <QWidget>

class FileShelfService;
class QLabel;

// One file of the shelf page: its icon, name (one line, cut when too long) and when it was added,
// a button that sends it to a nearby device and one that takes it off the shelf.
class FileShelfRow : public QWidget {
    Q_OBJECT
public:
    FileShelfRow(FileShelfService& shelf, const ShelfItem& item, const QString& addedText,
                 QWidget* parent = nullptr);

    const ShelfItem& item() const { return m_item; }
    // Sets the added text anew; an unchanged text leaves the row alone.
    void showAddedText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ShelfItem m_item;
    QLabel* m_name;
    QLabel* m_added;
};
