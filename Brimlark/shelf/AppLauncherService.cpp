#include "Brimlark/shelf/AppLauncherService.h"

#include "Brimlark/core/Logging.h"
#include "platform/Workspace.h"

AppLauncherService::AppLauncherService(Workspace& workspace, QObject* parent)
    : QObject(parent), m_workspace(workspace) {}

void AppLauncherService::launchAll(std::function<void()> done) {
    m_isLaunching = true;
    emit isLaunchingChanged(true);
    QList<LaunchResult> results;
    for (const QString& id : std::as_const(m_batch)) {
        const bool launched = m_workspace.openApplication(id);
        if (!launched)
            qCCritical(lcServices, "app launch failed: %s", qUtf8Printable(id));
        results.append({id, launched});
    }
    m_lastResults = results;
    emit lastResultsChanged();
    m_isLaunching = false;
    emit isLaunchingChanged(false);
    if (done)
        done();
}
