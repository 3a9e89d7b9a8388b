#pragma once

#include "platform/Share.h"

#include <QStringList>

class ProcessLauncher;

// Sends files with the desktop's Bluetooth file sender: "bluetooth-sendto" (GNOME), else
// "blueman-sendto" (Blueman), found on the search path at each call. Both open a device chooser.
// The files go to it as absolute paths, one argument each, so no file name is read as an option.
class LinuxShare final : public Share {
public:
    explicit LinuxShare(ProcessLauncher& launcher, QStringList senders = defaultSenders());

    bool canShare(const QList<QUrl>& urls) const override;
    bool hasSender() const override { return !sender().isEmpty(); }
    bool share(const QList<QUrl>& urls) override;

    // The first sender found on the search path, as an absolute path; empty when none is installed.
    QString sender() const;

    static QStringList defaultSenders();

private:
    ProcessLauncher& m_launcher;
    QStringList m_senders;
};
