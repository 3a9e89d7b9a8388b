#pragma once

#include "platform/Bookmarks.h"

// Bookmarks as absolute paths. Resolving fails once the item is gone (vanished) or when the bytes
// are no absolute UTF-8 path (unreadable); a path never goes stale.
class LinuxBookmarks final : public Bookmarks {
public:
    std::optional<QByteArray> create(const QString& path, QString* error = nullptr) override;
    std::optional<Resolved> resolve(const QByteArray& bookmark, QString* error = nullptr,
                                    Failure* failure = nullptr) override;
    bool startAccessing(const QString& path) override;
    void stopAccessing(const QString& path) override;
};
