#pragma once

#include "platform/ContextCallback.h"
#include "platform/Workspace.h"

#include <QHash>
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

    std::optional<ApplicationFile> describeApplicationFile(const QString& path,
                                                           QString* error = nullptr) override {
        describedFiles.append(path);
        const auto found = applicationFiles.constFind(path);
        if (found == applicationFiles.constEnd()) {
            if (error)
                *error = path + QStringLiteral(" is not an application's desktop entry.");
            return std::nullopt;
        }
        return *found;
    }

    // Opens are answered only when the test says so, in any order.
    void openApplicationFile(const QString& path, const QObject* context,
                             std::function<void(const Launch&)> done) override {
        openedApplicationFiles.append(path);
        pendingOpens.append({path, ContextCallback<void(const Launch&)>(context, std::move(done))});
    }
    struct PendingOpen {
        QString path;
        ContextCallback<void(const Launch&)> reply;
    };
    // Answers the pending open at `index` with `launch`; false when there is none.
    bool answerOpen(qsizetype index, const Launch& launch) {
        if (index < 0 || index >= pendingOpens.size())
            return false;
        const PendingOpen open = pendingOpens.takeAt(index);
        open.reply(launch);
        return true;
    }
    // Answers every pending open, oldest first, with `launch`.
    void answerAllOpens(const Launch& launch) {
        while (answerOpen(0, launch)) {
        }
    }
    static Launch launched() { return {Launch::Outcome::launched, {}}; }

    // The desktop entries describeApplicationFile() knows, by path.
    QHash<QString, ApplicationFile> applicationFiles;
    QStringList describedFiles;
    QStringList openedApplicationFiles;
    QList<PendingOpen> pendingOpens;

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
