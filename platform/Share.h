#pragma once

#include <QList>
#include <QUrl>

// Hands files to a nearby device through the desktop's file sender, which asks the user which
// device to send them to.
class Share {
public:
    virtual ~Share() = default;

    // True when a sender is available and every URL is a local file.
    virtual bool canShare(const QList<QUrl>& urls) const = 0;
    // True when a sender is available, whatever the files.
    virtual bool hasSender() const = 0;
    // Starts the sender with the files; true once it has started (not that anything was received).
    // False, with nothing started, when canShare() is false or the sender did not start.
    virtual bool share(const QList<QUrl>& urls) = 0;
};
