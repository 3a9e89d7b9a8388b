#pragma once

#include "platform/FileWatch.h"

#include <QObject>
#include <QString>

#include <functional>

class QSocketNotifier;

// The file watch over inotify. The folder is watched too and the file's own watch is re-armed
// whenever a file appears at the path again, which is how a replace or a new file is followed.
class LinuxFileWatch : public QObject, public FileWatch {
    Q_OBJECT
public:
    explicit LinuxFileWatch(QString path, QObject* parent = nullptr);
    ~LinuxFileWatch() override;

    // Makes LinuxFileWatch objects.
    static FileWatch::Factory factory();

    void start(std::function<void()> onChange) override;
    void cancel() override;
    bool isActive() const override { return m_fd >= 0; }
    QString path() const override { return m_path; }

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
