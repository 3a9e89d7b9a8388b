#pragma once

#include "platform/EventStore.h"

#include <QFileSystemWatcher>
#include <QString>
#include <QTimer>

// The calendars and reminders of Linux: a folder of iCalendar files. Both entities follow the
// folder: authorized while it exists and can be read, denied when it exists but cannot be read,
// notDetermined while it is missing. requestFullAccess creates the missing folder (owner-only)
// and grants. The folder is watched: changed() follows (coalesced) whenever its files or its
// authorisation change, also when another program creates or removes the folder.
// Reading the files' events comes later (libical).
class FolderEventStore final : public EventStore {
    Q_OBJECT
public:
    // `folder` empty: defaultFolder().
    explicit FolderEventStore(const QString& folder = {}, QObject* parent = nullptr);

    // $XDG_DATA_HOME/com.brimlark.app/calendars (~/.local/share/...).
    static QString defaultFolder();
    QString folder() const { return m_folder; }

    PermissionStatus authorizationStatus(Entity entity) const override;
    // Calls `done` before returning: (true, "") when the folder exists or could be made readable;
    // (false, reason) when it could not be created or cannot be read.
    void requestFullAccess(Entity entity, const QObject* context,
                           std::function<void(bool granted, const QString& error)> done) override;

    static constexpr int coalesceMs = 50;

private:
    PermissionStatus currentStatus() const;
    QString snapshot() const;
    void rewatch();
    void onWatchedPathChanged();
    void emitIfChanged();

    QString m_folder;
    QFileSystemWatcher m_watcher;
    QTimer m_coalesce;
    QString m_lastSnapshot;
};
