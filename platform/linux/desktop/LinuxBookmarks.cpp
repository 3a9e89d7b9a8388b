#include "platform/linux/desktop/LinuxBookmarks.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

void fail(QString* error, const QString& text) {
    if (error)
        *error = text;
}

} // namespace

std::optional<QByteArray> LinuxBookmarks::create(const QString& path, QString* error) {
    if (path.isEmpty()) {
        fail(error, QStringLiteral("no file or folder was given."));
        return std::nullopt;
    }
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!QFileInfo::exists(absolute)) {
        fail(error, QStringLiteral("%1 does not exist.").arg(absolute));
        return std::nullopt;
    }
    return absolute.toUtf8();
}

std::optional<Bookmarks::Resolved> LinuxBookmarks::resolve(const QByteArray& bookmark, QString* error,
                                                           Failure* failure) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString path = decoder.decode(bookmark);
    if (bookmark.isEmpty() || decoder.hasError() || !QDir::isAbsolutePath(path) ||
        path.contains(QChar(u'\0'))) {
        fail(error, QStringLiteral("the saved folder access is damaged."));
        if (failure)
            *failure = Failure::unreadable;
        return std::nullopt;
    }
    if (!QFileInfo::exists(path)) {
        fail(error, QStringLiteral("%1 no longer exists.").arg(path));
        if (failure)
            *failure = Failure::vanished;
        return std::nullopt;
    }
    return Resolved{QDir::cleanPath(path), false};
}

bool LinuxBookmarks::startAccessing(const QString& path) {
    return QFileInfo::exists(path);
}

void LinuxBookmarks::stopAccessing(const QString&) {}
