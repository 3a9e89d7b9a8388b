#include "Brimlark/aihooks/views/AIHooksEventList.h"

#include <QChildEvent>
#include <QEvent>
#include <QResizeEvent>

#include <algorithm>

AIHooksEventList::AIHooksEventList(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int AIHooksEventList::indexOf(const QWidget* row) const {
    for (int i = 0; i < count(); ++i)
        if (m_rows.at(i).widget == row)
            return i;
    return -1;
}

int AIHooksEventList::heightOf(const QWidget* row, int width) {
    const int height = row->hasHeightForWidth() ? row->heightForWidth(width) : row->sizeHint().height();
    return std::clamp(height, row->minimumHeight(), row->maximumHeight());
}

void AIHooksEventList::insertRow(int index, QWidget* row) {
    index = std::clamp(index, 0, count());
    m_rows.insert(index, Row{row, -1, row->sizeHint().width(), row->minimumSizeHint().width()});
    if (m_widestHint >= 0) {
        m_widestHint = std::max(m_widestHint, m_rows.at(index).hintWidth);
        m_widestMinimum = std::max(m_widestMinimum, m_rows.at(index).minimumWidth);
    }
    // Until the list has a width, rows wait to be measured at the one it gets.
    if (m_placedWidth < 0)
        return;
    Row& added = m_rows[index];
    added.height = heightOf(row, m_placedWidth);
    int top = 0;
    for (int i = 0; i < index; ++i)
        top += m_rows.at(i).height;
    placeFrom(index, top);
}

void AIHooksEventList::removeRow(QWidget* row) {
    const int index = indexOf(row);
    if (index < 0)
        return;
    const Row removed = m_rows.takeAt(index);
    // The widest widths are worked out again only when the row that set one of them left.
    if (removed.hintWidth >= m_widestHint || removed.minimumWidth >= m_widestMinimum)
        m_widestHint = m_widestMinimum = -1;
    if (m_placedWidth < 0)
        return;
    int top = 0;
    for (int i = 0; i < index; ++i)
        top += m_rows.at(i).height;
    placeFrom(index, top);
}

void AIHooksEventList::placeFrom(int index, int top) {
    for (int i = index; i < count(); ++i) {
        Row& row = m_rows[i];
        if (row.height < 0)
            row.height = heightOf(row.widget, m_placedWidth);
        const QRect place(0, top, m_placedWidth, row.height);
        if (row.widget->geometry() != place)
            row.widget->setGeometry(place);
        top += row.height;
    }
    setTotal(top);
}

void AIHooksEventList::placeAll() {
    const bool newWidth = m_placedWidth != width();
    m_placedWidth = width();
    bool resized = false;
    for (Row& row : m_rows) {
        const int height = heightOf(row.widget, m_placedWidth);
        resized = resized || height != row.height;
        row.height = height;
    }
    // A row that asks to be measured again after it was shown (every new row does) and still
    // takes the same height has not changed what it would like either.
    if (newWidth || resized) {
        m_widestHint = m_widestMinimum = -1;
        for (Row& row : m_rows) {
            row.hintWidth = row.widget->sizeHint().width();
            row.minimumWidth = row.widget->minimumSizeHint().width();
        }
    }
    placeFrom(0, 0);
}

void AIHooksEventList::setTotal(int total) {
    if (total == m_total)
        return;
    m_total = total;
    updateGeometry();
}

int AIHooksEventList::heightForWidth(int width) const {
    if (width == m_placedWidth)
        return m_total;
    int total = 0;
    for (const Row& row : m_rows)
        total += heightOf(row.widget, width);
    return total;
}

void AIHooksEventList::measureWidths() const {
    if (m_widestHint >= 0)
        return;
    m_widestHint = m_widestMinimum = 0;
    for (const Row& row : m_rows) {
        m_widestHint = std::max(m_widestHint, row.hintWidth);
        m_widestMinimum = std::max(m_widestMinimum, row.minimumWidth);
    }
}

QSize AIHooksEventList::sizeHint() const {
    measureWidths();
    return QSize(m_widestHint, heightForWidth(m_placedWidth >= 0 ? m_placedWidth : m_widestHint));
}

QSize AIHooksEventList::minimumSizeHint() const {
    measureWidths();
    return QSize(m_widestMinimum, 0);
}

bool AIHooksEventList::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::LayoutRequest:
        // A row asks to be measured again (its text, font or style changed).
        if (m_placedWidth >= 0)
            placeAll();
        break;
    case QEvent::ChildRemoved:
        // A row deleted while listed leaves the list.
        // It may be half destroyed: it is found by its address alone.
        for (const Row& row : std::as_const(m_rows)) {
            if (static_cast<QObject*>(row.widget) == static_cast<QChildEvent*>(event)->child()) {
                removeRow(row.widget);
                break;
            }
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void AIHooksEventList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->size().width() != m_placedWidth)
        placeAll();
}
