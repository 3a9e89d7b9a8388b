#pragma once

#include "Brimlark/apps/AppEntry.h"
#include "Brimlark/apps/AppLaunchResult.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <functional>
#include <optional>

class Bookmarks;
class FilePicker;
class UserDefaults;
class Workspace;

// The user's batch of applications that open together: desktop entries picked once, kept in the
// settings store under "brimlark.appBatch" (data holding the compact JSON array of the entries) and
// launched all at once, with the outcome of the last launch kept per entry. Main thread only.
class AppLauncherService : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<AppEntry> entries READ entries NOTIFY entriesChanged)
    Q_PROPERTY(bool isLaunching READ isLaunching NOTIFY isLaunchingChanged)
    Q_PROPERTY(QHash<QUuid, AppLaunchResult> lastResults READ lastResults NOTIFY lastResultsChanged)
    Q_PROPERTY(QString saveError READ saveError NOTIFY saveErrorChanged)
public:
    AppLauncherService(UserDefaults& defaults, Bookmarks& bookmarks, Workspace& workspace,
                       FilePicker& filePicker, QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static AppLauncherService& shared();

    static QString storageKey() { return QStringLiteral("brimlark.appBatch"); }
    // Where a stored batch that could not be read in full is kept: this prefix and the UTC time.
    static QString unreadableKeyPrefix() { return QStringLiteral("brimlark.appBatch.unreadable-"); }
    // The folder the add panel opens in.
    static QString applicationsFolder() { return QStringLiteral("/usr/share/applications"); }

    // In the order they were added.
    const QList<AppEntry>& entries() const { return m_entries; }
    // True from the start of a launchAll() until every launch of it has answered.
    bool isLaunching() const { return m_isLaunching; }
    // The outcome of the last finished launchAll(), by entry id; never stored.
    const QHash<QUuid, AppLaunchResult>& lastResults() const { return m_lastResults; }

    // Adds the application of the desktop entry file at `path` at the end of the batch and stores
    // the batch. False, with `error` set and the batch unchanged, when no bookmark can be made of
    // the file or it is no "Type=Application" desktop entry. The same file twice gives two entries.
    bool addApp(const QString& path, QString* error = nullptr);
    // The icon of the entry's desktop entry ("Icon="): a theme name or an absolute path; empty when
    // the bookmark no longer resolves, the file cannot be read or it names none. Not reported.
    QString iconName(const AppEntry& entry) const;
    // Shows the add panel without waiting for it; a picked file is added with addApp(), a failure
    // logged. The answer comes to the service, so it does not matter which view asked.
    void chooseApp();
    // Removes every entry with this id and its result, the others keeping their order, and stores
    // the batch (also when nothing matched).
    void remove(const QUuid& id);
    // Opens every entry of the batch at once. The results replace lastResults() when the last
    // launch has answered. A call while a launch-all runs starts nothing.
    void launchAll();

    // Tries the last save again when it failed; nothing otherwise.
    void flush();
    // Why the last save failed, or empty when it succeeded (or none was tried). The batch stays in
    // memory meanwhile; every later change, a later write of the settings store and flush() try
    // again.
    QString saveError() const { return m_saveError; }

signals:
    void entriesChanged();
    void isLaunchingChanged(bool launching);
    void lastResultsChanged();
    void saveErrorChanged(const QString& error);

private:
    struct Run;

    void load();
    void save();
    void setEntries(const QList<AppEntry>& entries);
    void setSaveError(const QString& error);
    // Launches one entry; `done` gets its result, on a later turn when the desktop was asked.
    void launch(const AppEntry& entry, const std::function<void(const AppLaunchResult&)>& done);
    void finishRun(const QHash<QUuid, AppLaunchResult>& results);

    UserDefaults& m_defaults;
    Bookmarks& m_bookmarks;
    Workspace& m_workspace;
    FilePicker& m_filePicker;
    QList<AppEntry> m_entries;
    bool m_isLaunching = false;
    QHash<QUuid, AppLaunchResult> m_lastResults;
    // The stored value of a load that skipped entries, kept aside before the next save.
    std::optional<QVariant> m_unreadable;
    QString m_saveError;
};
