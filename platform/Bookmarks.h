#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Persistent tokens for files and folders the user picked, so the program can reach them again in
// a later run. On Linux a bookmark is the item's absolute path; there is no sandbox, so opening
// access to an item that exists always succeeds.
class Bookmarks {
public:
    virtual ~Bookmarks() = default;

    // What a bookmark resolves to: the item's absolute path, and whether the token should be made
    // again (it still resolves, but no longer in its current form).
    struct Resolved {
        QString path;
        bool stale = false;
    };

    // Why a token did not resolve: its bytes are no readable token, or the item it names is gone.
    enum class Failure { unreadable, vanished };

    // The token for the item at `path`; nothing when no token can be made (the item does not
    // exist), and `error` then says why.
    virtual std::optional<QByteArray> create(const QString& path, QString* error = nullptr) = 0;
    // The item a token stands for; nothing when the token is unreadable or the item is gone, and
    // `error` then says why and `failure` which of the two it was.
    virtual std::optional<Resolved> resolve(const QByteArray& bookmark, QString* error = nullptr,
                                            Failure* failure = nullptr) = 0;
    // Opens access to a resolved item; false when it cannot be opened. Every `true` must be
    // balanced by one stopAccessing() of the same path.
    virtual bool startAccessing(const QString& path) = 0;
    // Closes access opened by startAccessing().
    virtual void stopAccessing(const QString& path) = 0;
};
