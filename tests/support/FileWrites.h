#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/inotify.h>
#include <unistd.h>

// Counts the times a file is written while it lives: put in place by a rename (as an atomic write
// does) or written where it is and closed.
class FileWrites {
public:
    explicit FileWrites(const QString& path)
        : m_name(QFileInfo(path).fileName().toUtf8()), m_watch(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(m_watch, QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~FileWrites() { close(m_watch); }
    FileWrites(const FileWrites&) = delete;
    FileWrites& operator=(const FileWrites&) = delete;

    // The writes since it was made, or since the last count.
    int count() const {
        int found = 0;
        alignas(inotify_event) char buffer[16384];
        for (ssize_t got; (got = read(m_watch, buffer, sizeof buffer)) > 0;) {
            for (const char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0 && m_name == event->name)
                    ++found;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return found;
    }

private:
    QByteArray m_name;
    int m_watch;
};
