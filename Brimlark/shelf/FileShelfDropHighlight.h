#pragma once

#include <QWidget>

// The dashed "drop to add to shelf" frame that stands over the whole drop area while files are
// dragged over it, the summary row included. It takes no mouse input of its own.
class FileShelfDropHighlight : public QWidget {
    Q_OBJECT
public:
    explicit FileShelfDropHighlight(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
