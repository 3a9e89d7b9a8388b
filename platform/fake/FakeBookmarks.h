#pragma once

#include "platform/Bookmarks.h"

#include <QHash>
#include <QSet>
#include <QStringList>

// Bookmarks a test scripts: tokens are "fake:" + path, every failure can be forced, resolved
// items can be moved, and every opening and closing of access is recorded.
class FakeBookmarks final : public Bookmarks {
public:
    std::optional<QByteArray> create(const QString& path, QString* error = nullptr) override {
        if (!createError.isEmpty()) {
            if (error)
                *error = createError;
            return std::nullopt;
        }
        created.append(path);
        return QByteArray("fake:") + path.toUtf8();
    }

    std::optional<Resolved> resolve(const QByteArray& bookmark, QString* error = nullptr,
                                    Failure* failure = nullptr) override {
        if (!resolveError.isEmpty() || !bookmark.startsWith("fake:")) {
            if (error)
                *error = resolveError.isEmpty() ? QStringLiteral("not a fake bookmark") : resolveError;
            if (failure)
                *failure = Failure::unreadable;
            return std::nullopt;
        }
        const QString path = QString::fromUtf8(bookmark.mid(5));
        if (vanished.contains(path)) {
            if (error)
                *error = path + QStringLiteral(" no longer exists.");
            if (failure)
                *failure = Failure::vanished;
            return std::nullopt;
        }
        return Resolved{moved.value(path, path), staleTokens.contains(bookmark)};
    }

    bool startAccessing(const QString& path) override {
        if (!startAccessingSucceeds)
            return false;
        started.append(path);
        return true;
    }
    void stopAccessing(const QString& path) override { stopped.append(path); }

    // Scripted behaviour.
    QString createError;
    QString resolveError;
    QSet<QByteArray> staleTokens;
    // Paths whose items are gone: their tokens fail to resolve as vanished.
    QSet<QString> vanished;
    // Resolving a token of the key's path gives the value's path instead.
    QHash<QString, QString> moved;
    bool startAccessingSucceeds = true;

    // What was asked.
    QStringList created;
    QStringList started;
    QStringList stopped;
};
