#pragma once

#include <QList>
#include <QObject>
#include <QString>

// One file on the shelf.
struct ShelfItem {
    QString path;
    bool operator==(const ShelfItem& other) const { return path == other.path; }
};

// The shelf of files dropped on the notch.
class FileShelfService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The process-wide service, created on first use.
    static FileShelfService& shared();

    const QList<ShelfItem>& items() const { return m_items; }
    void setItems(const QList<ShelfItem>& items);

signals:
    void itemsChanged();

private:
    QList<ShelfItem> m_items;
};
