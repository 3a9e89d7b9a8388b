#pragma once

#include <QWidget>

class FileShelfService;

// The file shelf's drop area over the basic panel. It is outlined while files are dragged over it.
class FileShelfOverlay : public QWidget {
    Q_OBJECT
public:
    explicit FileShelfOverlay(FileShelfService& shelf, QWidget* parent = nullptr);

    bool isTargeted() const { return m_isTargeted; }
    void setTargeted(bool targeted);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FileShelfService& m_shelf;
    bool m_isTargeted = false;
};
