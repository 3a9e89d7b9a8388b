#include "platform/linux/kernel/LinuxFileWatch.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <memory>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t folderEvents =
    IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_ONLYDIR;
constexpr uint32_t fileEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF;

} // namespace

LinuxFileWatch::LinuxFileWatch(QString path, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_fileName(QFileInfo(m_path).fileName()) {}

LinuxFileWatch::~LinuxFileWatch() {
    cancel();
}

FileWatch::Factory LinuxFileWatch::factory() {
    return [](const QString& path) { return std::make_unique<LinuxFileWatch>(path); };
}

void LinuxFileWatch::start(std::function<void()> onChange) {
    if (m_fd >= 0)
        return;
    m_onChange = std::move(onChange);
    if (!QFileInfo::exists(m_path)) {
        QFile file(m_path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.write("[]");
    }

    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
    m_folderWatch = inotify_add_watch(m_fd, folder.constData(), folderEvents);
    if (m_folderWatch < 0) {
        cancel();
        return;
    }
    armFileWatch();
    m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LinuxFileWatch::onReadable);
}

void LinuxFileWatch::cancel() {
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_folderWatch = -1;
    m_fileWatch = -1;
}

void LinuxFileWatch::armFileWatch() {
    // Adding a watch for an inode already watched gives the same descriptor back.
    m_fileWatch = inotify_add_watch(m_fd, QFile::encodeName(m_path).constData(), fileEvents);
}

void LinuxFileWatch::onReadable() {
    alignas(inotify_event) char buffer[8192];
    bool changed = false;
    bool rearm = false;
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                changed = true;
                rearm = true;
                continue;
            }
            if (event->wd == m_folderWatch && event->len > 0) {
                if (QFile::decodeName(event->name) != m_fileName)
                    continue;
                changed = true;
                if (event->mask & (IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE))
                    rearm = true;
            } else if (event->wd == m_fileWatch) {
                changed = true;
                if (event->mask & (IN_MOVE_SELF | IN_DELETE_SELF | IN_IGNORED))
                    rearm = true;
            }
        }
    }
    if (rearm) {
        // The old file object is gone from the path: stop following it and follow the new one.
        if (m_fileWatch >= 0)
            inotify_rm_watch(m_fd, m_fileWatch);
        m_fileWatch = -1;
        armFileWatch();
    }
    if (changed && m_onChange)
        m_onChange();
}
