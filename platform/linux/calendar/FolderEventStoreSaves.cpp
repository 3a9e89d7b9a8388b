#include "platform/AtomicWrite.h"
#include "platform/ContextCallback.h"
#include "platform/linux/calendar/CalendarText.h"
#include "platform/linux/calendar/FileSlices.h"
#include "platform/linux/calendar/FolderEventStore.h"

#include <QFile>
#include <QUuid>

#include <libical/ical.h>

using CalendarText::icalText;

namespace {

// The to-dos of a parsed file in the order CalendarFile lists them.
QList<icalcomponent*> todosOf(icalcomponent* root) {
    QList<icalcomponent*> result;
    auto collect = [&](icalcomponent* calendar) {
        for (icalcomponent* todo = icalcomponent_get_first_component(calendar, ICAL_VTODO_COMPONENT); todo;
             todo = icalcomponent_get_next_component(calendar, ICAL_VTODO_COMPONENT))
            result.append(todo);
    };
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) {
        collect(root);
    } else {
        for (icalcomponent* inner = icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT); inner;
             inner = icalcomponent_get_next_component(root, ICAL_VCALENDAR_COMPONENT))
            collect(inner);
    }
    return result;
}

void removeAll(icalcomponent* component, icalproperty_kind kind) {
    while (icalproperty* property = icalcomponent_get_first_property(component, kind)) {
        icalcomponent_remove_property(component, property);
        icalproperty_free(property);
    }
}

icaltimetype utcNow() {
    return icaltime_from_timet_with_zone(QDateTime::currentSecsSinceEpoch(), 0,
                                         icaltimezone_get_utc_timezone());
}

// Whether the content line starting at `at` is `name`, whatever its case and line ending.
bool lineIs(const QByteArray& text, qsizetype at, qsizetype end, const char* name) {
    QByteArray line = text.mid(at, end - at).trimmed();
    return line.compare(name, Qt::CaseInsensitive) == 0;
}

// Where the `index`-th VTODO of an iCalendar text lies, in document order: from its BEGIN line to
// the end of its END line.
bool todoBytes(const QByteArray& text, int index, qsizetype* from, qsizetype* to) {
    int seen = -1;
    qsizetype begin = -1;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = text.indexOf('\n', at);
        end = end < 0 ? text.size() : end + 1;
        if (begin < 0 && lineIs(text, at, end, "BEGIN:VTODO") && ++seen == index) {
            begin = at;
        } else if (begin >= 0 && lineIs(text, at, end, "END:VTODO")) {
            *from = begin;
            *to = end;
            return true;
        }
        at = end;
    }
    return false;
}

} // namespace

bool FolderEventStore::setReminderCompleted(const QString& identifier, bool completed, QString* error) {
    QString path;
    int index = -1;
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    // Two saves of one file must not interleave their reading and writing.
    const std::lock_guard<std::mutex> lock(m_writeLock);
    if (!locateReminder(identifier, &path, &index, nullptr))
        return fail(QStringLiteral("The reminder %1 no longer exists.").arg(identifier));
    // Read afresh: the file is rewritten from what is on disk now, never from the cache.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(QStringLiteral("The reminder file %1 cannot be read: %2").arg(path, file.errorString()));
    const QByteArray bytes = FileSlices::read(file);
    file.close();
    const QString unchanged =
        QStringLiteral("The reminder file %1 is not valid iCalendar; it was left unchanged.").arg(path);
    const std::atomic<bool> never{false};
    icalcomponent* root =
        bytes.isEmpty() ? nullptr : CalendarFile::parse(bytes, CpuDeadline(), never, nullptr);
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> owner(root, icalcomponent_free);
    if (!root || icalcomponent_count_errors(root) > 0)
        return fail(unchanged);
    const QList<icalcomponent*> todos = todosOf(root);
    int position = -1;
    for (int n = 0; n < todos.size() && position < 0; ++n) {
        const char* uid = icalcomponent_get_uid(todos[n]);
        if (uid && *uid ? QString::fromUtf8(uid) == identifier : n == index)
            position = n;
    }
    if (position < 0)
        return fail(QStringLiteral("The reminder %1 no longer exists.").arg(identifier));
    icalcomponent* todo = todos[position];
    removeAll(todo, ICAL_STATUS_PROPERTY);
    removeAll(todo, ICAL_COMPLETED_PROPERTY);
    removeAll(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
    removeAll(todo, ICAL_LASTMODIFIED_PROPERTY);
    removeAll(todo, ICAL_DTSTAMP_PROPERTY);
    const icaltimetype now = utcNow();
    if (completed) {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_COMPLETED));
        icalcomponent_add_property(todo, icalproperty_new_completed(now));
        icalcomponent_add_property(todo, icalproperty_new_percentcomplete(100));
    } else {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    }
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(now));
    icalcomponent_add_property(todo, icalproperty_new_lastmodified(now));

    // Only the to-do's own lines are replaced: the other calendars, components and lines of the
    // file stay byte for byte, and a file of several VCALENDARs stays one.
    qsizetype from = 0;
    qsizetype to = 0;
    if (!todoBytes(bytes, position, &from, &to))
        return fail(unchanged);
    QByteArray replaced = bytes.left(from) + icalText(todo) + bytes.mid(to);
    // What is written must read back as the same to-dos, the changed one in its place.
    icalcomponent* check = CalendarFile::parse(replaced, CpuDeadline(), never, nullptr);
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> checkOwner(check, icalcomponent_free);
    const QList<icalcomponent*> after = check ? todosOf(check) : QList<icalcomponent*>();
    if (!check || icalcomponent_count_errors(check) > 0 || after.size() != todos.size() ||
        icalcomponent_get_status(after[position]) != icalcomponent_get_status(todo))
        return fail(QStringLiteral("The reminder file %1 could not be changed without touching other items; "
                                   "it was left unchanged.")
                        .arg(path));
    QString writeError;
    if (!AtomicWrite::replace(path, replaced, &writeError))
        return fail(QStringLiteral("The reminder file %1 could not be saved: %2").arg(path, writeError));
    return true;
}

std::optional<QString> FolderEventStore::addReminder(const QString& title, const Calendar& list,
                                                     QString* error) {
    auto fail = [error](const QString& text) -> std::optional<QString> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    if (currentStatus() != PermissionStatus::authorized)
        return fail(QStringLiteral("The calendar folder %1 cannot be read.").arg(m_folder));
    const QString folder = folderOf(list.identifier);
    if (folder.isEmpty())
        return fail(QStringLiteral("The reminder list %1 no longer exists.").arg(list.identifier));
    const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString path = folder + QLatin1Char('/') + uid + QStringLiteral(".ics");

    const std::lock_guard<std::mutex> lock(m_writeLock);
    icalcomponent* calendar = icalcomponent_new(ICAL_VCALENDAR_COMPONENT);
    const std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> owner(calendar, icalcomponent_free);
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_prodid("-//Brimlark//Reminders//EN"));
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    const icaltimetype now = utcNow();
    icalcomponent_add_property(todo, icalproperty_new_uid(uid.toUtf8().constData()));
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(now));
    icalcomponent_add_property(todo, icalproperty_new_created(now));
    icalcomponent_add_property(todo, icalproperty_new_summary(title.toUtf8().constData()));
    icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    icalcomponent_add_component(calendar, todo);

    QString writeError;
    if (!AtomicWrite::replace(path, icalText(calendar), &writeError))
        return fail(QStringLiteral("The reminder could not be saved in %1: %2").arg(folder, writeError));
    return uid;
}

void FolderEventStore::saveReminderCompleted(const QString& identifier, bool completed,
                                             const QObject* context,
                                             std::function<void(const SaveAnswer& answer)> done) {
    auto reply = ContextCallback<void(const SaveAnswer&)>(context, std::move(done));
    post(
        [this, identifier, completed, reply] {
            const SaveAnswer answer = completeNow(identifier, completed);
            QMetaObject::invokeMethod(
                this, [reply, answer] { reply(answer); }, Qt::QueuedConnection);
        },
        true);
}

void FolderEventStore::saveNewReminder(const QString& title, const std::optional<Calendar>& list,
                                       const QObject* context,
                                       std::function<void(const SaveAnswer& answer)> done) {
    auto reply = ContextCallback<void(const SaveAnswer&)>(context, std::move(done));
    post(
        [this, title, list, reply] {
            QString unmade;
            const std::optional<Calendar> target = list ? list : listForQuickAdd(&unmade);
            const SaveAnswer answer =
                unmade.isEmpty() ? addNow(title, target) : SaveAnswer{SaveAnswer::Kind::failed, unmade};
            QMetaObject::invokeMethod(
                this, [reply, answer] { reply(answer); }, Qt::QueuedConnection);
        },
        true);
}
