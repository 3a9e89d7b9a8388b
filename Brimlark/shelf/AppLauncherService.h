#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class Workspace;

// The user's batch of applications that open together.
class AppLauncherService : public QObject {
    Q_OBJECT
public:
    // What happened to one application of the batch at the last launch.
    struct LaunchResult {
        QString applicationId;
        bool launched = false;
    };

    explicit AppLauncherService(Workspace& workspace, QObject* parent = nullptr);

    // The process-wide service, created on first use.
    static AppLauncherService& shared();

    // Opens every application of the batch and records each outcome; `done` (optional) follows.
    void launchAll(std::function<void()> done = {});

signals:
    void batchChanged();
    void isLaunchingChanged(bool launching);
    void lastResultsChanged();

private:
    Workspace& m_workspace;
    // The applications of the batch, by desktop id.
    QStringList m_batch;
    bool m_isLaunching = false;
    QList<LaunchResult> m_lastResults;
};
