#pragma once

#include "platform/Workspace.h"

#include <QList>
#include <QStringList>

// Records what was opened and copied; a test decides what succeeds.
class FakeWorkspace final : public Workspace {
    Q_OBJECT
public:
    using Workspace::Workspace;

    bool openUrl(const QUrl& url) override {
        openedUrls.append(url);
        return openUrlSucceeds;
    }
    void setClipboardText(const QString& text) override { clipboard = text; }
    bool openApplication(const QString& applicationId) override {
        openedApplications.append(applicationId);
        return installedApplications.contains(applicationId);
    }

    bool openShortcutsApplication() override {
        ++shortcutsApplicationOpenings;
        return shortcutsApplicationInstalled;
    }
    bool hasShortcutsApplication() const override { return shortcutsApplicationInstalled; }

    Launch openDefaultApplication(const QString& mimeType) override {
        openedDefaultApplications.append(mimeType);
        return defaultApplicationLaunch;
    }

    bool openUrlSucceeds = true;
    Launch defaultApplicationLaunch;
    QStringList openedDefaultApplications;
    QStringList installedApplications;
    bool shortcutsApplicationInstalled = false;

    QList<QUrl> openedUrls;
    QStringList openedApplications;
    int shortcutsApplicationOpenings = 0;
    QString clipboard;
};
