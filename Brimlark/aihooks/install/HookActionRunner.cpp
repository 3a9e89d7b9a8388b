#include "Brimlark/aihooks/install/HookActionRunner.h"

#include "platform/ProcessLauncher.h"
#include "platform/Workspace.h"

HookActionRunner::HookActionRunner(Workspace* workspace, ProcessLauncher* launcher)
    : m_workspace(workspace), m_launcher(launcher) {}

bool HookActionRunner::run(const std::optional<HookEvent::Action>& action, QString* error) const {
    if (!action)
        return false;
    const QString title = action->title.toLower();
    if (action->url) {
        const QUrl& url = *action->url;
        if (url.isRelative() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
            *error = QStringLiteral("could not open ") + title + QStringLiteral(": unsupported address");
            return false;
        }
        if (!m_workspace || !m_workspace->openUrl(url)) {
            *error =
                QStringLiteral("could not open ") + title + QStringLiteral(": nothing could open the link");
            return false;
        }
        return true;
    }
    if (!action->command || action->command->isEmpty()) {
        *error = QStringLiteral("could not run ") + title + QStringLiteral(": no command");
        return false;
    }
    QString launchError = QStringLiteral("no process launcher");
    if (!m_launcher || !m_launcher->runShellCommand(*action->command, &launchError)) {
        *error = QStringLiteral("could not run ") + title + QStringLiteral(": ") + launchError;
        return false;
    }
    return true;
}
