#include "Brimlark/shelf/FileShelfService.h"

void FileShelfService::setItems(const QList<ShelfItem>& items) {
    m_items = items;
    emit itemsChanged();
}
