#pragma once

#include "Brimlark/shelf/ShelfItem.h"

#include <QWidget>

class FileShelfService;
class QVBoxLayout;

// The shelf page: a header with "clear", then either a hint on how files get here or the files,
// newest first, one card each. It follows the shelf as it changes.
class FileShelfListView : public QWidget {
    Q_OBJECT
public:
    explicit FileShelfListView(FileShelfService& shelf, QWidget* parent = nullptr);

    // "added " and how long ago the item was added, as of now.
    QString relativeAddedText(const ShelfItem& item) const;

    bool showsEmptyState() const;

private:
    void rebuild();

    FileShelfService& m_shelf;
    QWidget* m_clear;
    QWidget* m_empty;
    QWidget* m_scroll;
    QVBoxLayout* m_rows;
};
