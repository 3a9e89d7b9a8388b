#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

// Tells its owner that one file has changed: written in place, grown, renamed, deleted, or
// replaced. It watches the path, not the file object: the folder is watched too and the file's
// own watch is re-armed whenever a file appears at the path again, so an atomic replace (a temp
// file renamed over it) or a deletion followed by a new file is seen, and so are later writes.
// It never reads the file and does not say what changed; several changes may make one report.
// Reports arrive on the thread the watcher lives on (the main thread for the hooks inbox).
class FileWatcher : public QObject {
    Q_OBJECT
public:
    explicit FileWatcher(QString path, QObject* parent = nullptr);
    // Cancels the watch.
    ~FileWatcher() override;

    // Creates the file holding "[]" when nothing is at the path (a failure is ignored), then
    // watches it and calls `onChange` on every change. When the folder cannot be watched (it does
    // not exist) nothing is ever reported and nothing fails loudly. Called once per watcher.
    void start(std::function<void()> onChange);
    // Stops watching and releases the kernel watch; safe to repeat.
    void cancel();
    // True between a start() that could watch and cancel().
    bool isActive() const { return m_fd >= 0; }
    QString path() const { return m_path; }

private:
    void onReadable();
    void armFileWatch();

    QString m_path;
    QString m_fileName;
    std::function<void()> m_onChange;
    int m_fd = -1;
    int m_folderWatch = -1;
    int m_fileWatch = -1;
    QSocketNotifier* m_notifier = nullptr;
};
