#pragma once

#include <QColor>
#include <QDateTime>
#include <QHashFunctions>
#include <QMetaType>
#include <QString>

#include <optional>

// One reminder as the reminders page shows it. `title` is "(Untitled)" when the reminder has no
// title at all; an empty title stays empty. `listColor` is invalid when the reminder has no list.
struct ReminderItem {
    QString id;
    QString title;
    bool isCompleted = false;
    std::optional<QDateTime> dueDate;
    // Due on a day rather than at a time: `dueDate` is that day's local midnight.
    bool dueIsDate = false;
    std::optional<QString> listName;
    QColor listColor;

    bool operator==(const ReminderItem& other) const {
        return id == other.id && title == other.title && isCompleted == other.isCompleted &&
               dueDate == other.dueDate && dueIsDate == other.dueIsDate && listName == other.listName &&
               listColor == other.listColor;
    }
    bool operator!=(const ReminderItem& other) const { return !(*this == other); }
};

// Combines the six fields in order; an optional adds 0 when absent, else 1 and its value.
size_t qHash(const ReminderItem& item, size_t seed = 0) noexcept;

Q_DECLARE_METATYPE(ReminderItem)
