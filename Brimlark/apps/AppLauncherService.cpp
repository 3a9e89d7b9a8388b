#include "Brimlark/apps/AppLauncherService.h"

#include "Brimlark/core/Logging.h"
#include "platform/Bookmarks.h"
#include "platform/FilePicker.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <memory>

// The results of one launch-all, gathered as the launches answer.
struct AppLauncherService::Run {
    QHash<QUuid, AppLaunchResult> results;
    qsizetype remaining = 0;
};

AppLauncherService::AppLauncherService(UserDefaults& defaults, Bookmarks& bookmarks, Workspace& workspace,
                                       FilePicker& filePicker, QObject* parent)
    : QObject(parent), m_defaults(defaults), m_bookmarks(bookmarks), m_workspace(workspace),
      m_filePicker(filePicker) {
    // A later write of the store that succeeds writes the batch held in it too.
    connect(&m_defaults, &UserDefaults::saveErrorChanged, this, [this](const QString& error) {
        if (error.isEmpty())
            setSaveError(QString());
    });
    load();
}

void AppLauncherService::setEntries(const QList<AppEntry>& entries) {
    m_entries = entries;
    emit entriesChanged();
}

void AppLauncherService::load() {
    if (!m_defaults.contains(storageKey()))
        return;
    const QVariant stored = m_defaults.value(storageKey());
    if (stored.typeId() == QMetaType::QByteArray && stored.toByteArray().isEmpty())
        return;
    QJsonParseError error{};
    const QJsonDocument document = stored.typeId() == QMetaType::QByteArray
                                       ? QJsonDocument::fromJson(stored.toByteArray(), &error)
                                       : QJsonDocument();
    if (!document.isArray()) {
        qCCritical(lcServices, "app batch load failed: %s", "the stored batch is not a JSON array");
        m_unreadable = stored;
        return;
    }
    const QJsonArray array = document.array();
    QList<AppEntry> entries;
    for (qsizetype i = 0; i < array.size(); ++i) {
        QString why;
        if (auto entry = AppEntry::fromJson(array.at(i), &why)) {
            entries.append(*entry);
            continue;
        }
        qCCritical(lcServices, "app batch entry %lld skipped: %s", static_cast<long long>(i),
                   qUtf8Printable(why));
        m_unreadable = stored;
    }
    setEntries(entries);
}

void AppLauncherService::save() {
    if (m_unreadable) {
        const QString stamp =
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
        QString key = unreadableKeyPrefix() + stamp;
        for (int n = 2; m_defaults.contains(key); ++n)
            key = unreadableKeyPrefix() + stamp + QLatin1Char('-') + QString::number(n);
        m_defaults.setValue(key, *m_unreadable);
        m_unreadable.reset();
    }
    QJsonArray array;
    for (const AppEntry& entry : std::as_const(m_entries))
        array.append(entry.toJson());
    if (m_defaults.setData(storageKey(), QJsonDocument(array).toJson(QJsonDocument::Compact)))
        setSaveError(QString());
    else
        setSaveError(m_defaults.saveError().isEmpty()
                         ? QStringLiteral("the settings file could not be written")
                         : m_defaults.saveError());
}

void AppLauncherService::flush() {
    if (!m_saveError.isEmpty())
        save();
}

void AppLauncherService::setSaveError(const QString& error) {
    if (m_saveError == error)
        return;
    m_saveError = error;
    emit saveErrorChanged(error);
}

bool AppLauncherService::addApp(const QString& path, QString* error) {
    QString why;
    const std::optional<QByteArray> bookmark = m_bookmarks.create(path, &why);
    std::optional<Workspace::ApplicationFile> file;
    if (bookmark)
        file = m_workspace.describeApplicationFile(path, &why);
    if (!bookmark || !file) {
        if (error)
            *error = why;
        return false;
    }
    // Only a missing name moves on to the next source; an empty one is used.
    QString name;
    if (file->localizedName)
        name = *file->localizedName;
    else if (file->name)
        name = *file->name;
    else
        name = QFileInfo(path).completeBaseName();
    QList<AppEntry> entries = m_entries;
    entries.append(AppEntry{QUuid::createUuid(), *bookmark, name, file->desktopId});
    setEntries(entries);
    save();
    return true;
}

QString AppLauncherService::iconName(const AppEntry& entry) const {
    const std::optional<Bookmarks::Resolved> resolved = m_bookmarks.resolve(entry.bookmark);
    if (!resolved)
        return {};
    const std::optional<Workspace::ApplicationFile> file =
        m_workspace.describeApplicationFile(resolved->path);
    return file ? file->icon : QString();
}

void AppLauncherService::chooseApp() {
    FilePickerOptions options;
    options.title = QStringLiteral("Add app to Brimlark batch");
    options.canChooseFiles = true;
    options.canChooseDirectories = false;
    options.directory = applicationsFolder();
    options.nameFilters = {QStringLiteral("applications (*.desktop)")};
    m_filePicker.pick(options, this, [this](const std::optional<QString>& path) {
        if (!path)
            return;
        QString error;
        if (!addApp(*path, &error))
            qCCritical(lcServices, "addApp failed: %s", qUtf8Printable(error));
    });
}

void AppLauncherService::remove(const QUuid& entryId) {
    // A copy: the caller's id may live in the entry that goes.
    const QUuid id = entryId;
    QList<AppEntry> entries = m_entries;
    if (entries.removeIf([&id](const AppEntry& entry) { return entry.id == id; }) > 0)
        setEntries(entries);
    if (m_lastResults.remove(id))
        emit lastResultsChanged();
    save();
}

void AppLauncherService::launchAll() {
    if (m_isLaunching) {
        qCDebug(lcServices, "launch all: a launch is still running; nothing started");
        return;
    }
    m_isLaunching = true;
    emit isLaunchingChanged(true);
    const QList<AppEntry> entries = m_entries;
    if (entries.isEmpty()) {
        finishRun({});
        return;
    }
    auto run = std::make_shared<Run>();
    run->remaining = entries.size();
    for (const AppEntry& entry : entries) {
        launch(entry, [this, run, id = entry.id](const AppLaunchResult& result) {
            run->results.insert(id, result);
            if (--run->remaining == 0)
                finishRun(run->results);
        });
    }
}

void AppLauncherService::finishRun(const QHash<QUuid, AppLaunchResult>& results) {
    m_lastResults = results;
    emit lastResultsChanged();
    m_isLaunching = false;
    emit isLaunchingChanged(false);
}

void AppLauncherService::launch(const AppEntry& entry,
                                const std::function<void(const AppLaunchResult&)>& done) {
    QString error;
    Bookmarks::Failure failure = Bookmarks::Failure::unreadable;
    const std::optional<Bookmarks::Resolved> resolved = m_bookmarks.resolve(entry.bookmark, &error, &failure);
    if (!resolved || !QFileInfo::exists(resolved->path)) {
        const bool gone = resolved || failure == Bookmarks::Failure::vanished;
        qCDebug(lcServices, "app batch: %s not launched: %s", qUtf8Printable(entry.displayName),
                gone ? "its desktop entry is gone" : qUtf8Printable(error));
        done(gone ? AppLaunchResult::missing() : AppLaunchResult::failed(error));
        return;
    }
    const QString path = resolved->path;
    const bool accessing = m_bookmarks.startAccessing(path);
    m_workspace.openApplicationFile(
        path, this, [this, done, accessing, path, name = entry.displayName](const Workspace::Launch& launch) {
            if (accessing)
                m_bookmarks.stopAccessing(path);
            if (launch.outcome == Workspace::Launch::Outcome::launched) {
                done(AppLaunchResult::launched());
                return;
            }
            qCDebug(lcServices, "app batch: %s did not start: %s", qUtf8Printable(name),
                    qUtf8Printable(launch.error));
            done(AppLaunchResult::failed(launch.error));
        });
}
