#include "Brimlark/shelf/FileShelfService.h"

FileShelfService& FileShelfService::shared() {
    static FileShelfService* instance = new FileShelfService();
    return *instance;
}

void FileShelfService::setItems(const QList<ShelfItem>& items) {
    m_items = items;
    emit itemsChanged();
}
