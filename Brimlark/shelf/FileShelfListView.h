#pragma once

#include "Brimlark/shelf/ShelfItem.h"

#include <QWidget>

class FileShelfService;
class QLabel;
class RelativeTimeRefresh;
class QVBoxLayout;
class SaveFailureLine;

// The shelf page: a header with "clear", then either a hint on how files get here or the files,
// newest first, one card each. It follows the shelf as it changes.
class FileShelfListView : public QWidget {
    Q_OBJECT
public:
    explicit FileShelfListView(FileShelfService& shelf, QWidget* parent = nullptr);

    // "added " and how long ago the item was added, as of now.
    QString relativeAddedText(const ShelfItem& item) const;

    bool showsEmptyState() const;
    // "the shelf could not be saved: <reason>" while the last save failed, else empty (and hidden).
    QString saveLine() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void rebuild();
    // Sets the rows' added texts anew.
    void refreshTimes();

    FileShelfService& m_shelf;
    QWidget* m_clear;
    SaveFailureLine* m_saveLine;
    QWidget* m_empty;
    QWidget* m_scroll;
    QVBoxLayout* m_rows;
    // Whether the rows were built with a file sender at hand.
    bool m_couldSend = false;
    // Running while the page shows.
    RelativeTimeRefresh* m_timeRefresh;
};
