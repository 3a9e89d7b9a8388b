#include "Brimlark/aihooks/install/HookInstallFlow.h"

#include "Brimlark/aihooks/install/AIHookAccessManager.h"
#include "Brimlark/aihooks/install/AIHookInstaller.h"
#include "Brimlark/core/Logging.h"

#include <QDir>
#include <QFutureWatcher>

#include <utility>

HookInstallFlow::HookInstallFlow(QString supportDirectory, std::function<quint16()> hookPort, QObject* parent)
    : QObject(parent), m_supportDirectory(std::move(supportDirectory)), m_hookPort(std::move(hookPort)) {}

void HookInstallFlow::setLastInstallMessage(const QString& message) {
    if (m_lastInstallMessage == message)
        return;
    m_lastInstallMessage = message;
    emit lastInstallMessageChanged(m_lastInstallMessage);
}

void HookInstallFlow::setToolWiring(AIHookAccessManager* accessManager, AIHookInstaller* installer) {
    m_accessManager = accessManager;
    m_installer = installer;
    refreshStatus();
}

void HookInstallFlow::refreshStatus() {
    AIHookInstallationStatus installation;
    if (m_installer) {
        installation = m_installer->installationStatus();
    } else {
        const QDir home(QDir::homePath());
        installation.bridgeScriptPath =
            QDir(m_supportDirectory).filePath(QStringLiteral("hooks/brimlark-hook-bridge.py"));
        installation.claudeSettingsPath = home.filePath(QStringLiteral(".claude/settings.json"));
        installation.codexConfigPath = home.filePath(QStringLiteral(".codex/config.toml"));
        installation.codexHooksPath = home.filePath(QStringLiteral(".codex/hooks.json"));
    }
    if (installation != m_installationStatus) {
        m_installationStatus = installation;
        emit hookInstallationStatusChanged();
    }
    refreshAccessStatus();
}

void HookInstallFlow::refreshAccessStatus() {
    const AIHookAccessStatus access =
        m_accessManager ? m_accessManager->accessStatus() : AIHookAccessStatus();
    if (access != m_accessStatus) {
        m_accessStatus = access;
        emit hookAccessStatusChanged();
    }
}

void HookInstallFlow::grantAccess(AIHookTool tool) {
    if (!m_accessManager) {
        setLastInstallMessage(QString());
        emit errorReported(QStringLiteral("folder access is not available"));
        return;
    }
    AIHookAccessManager::AccessError error;
    if (!m_accessManager->requestAccess(tool, &error)) {
        setLastInstallMessage(QString());
        emit errorReported(error.errorDescription());
        return;
    }
    refreshAccessStatus();
    setLastInstallMessage(AIHookAccessManager::accessGrantedMessage(tool));
    emit errorReported(QString());
}

bool HookInstallFlow::ensureAccess(AIHookTool tool, QString* error) {
    if (!m_accessManager) {
        *error = QStringLiteral("folder access is not available");
        return false;
    }
    if (m_accessManager->hasAccess(tool))
        return true;
    AIHookAccessManager::AccessError accessError;
    if (!m_accessManager->requestAccess(tool, &accessError)) {
        *error = accessError.errorDescription();
        return false;
    }
    refreshAccessStatus();
    return true;
}

void HookInstallFlow::installHooks(bool claude, bool codex) {
    if (m_installing) {
        // Only claude's install waits (for its version); claude is in it already.
        m_installCodex = m_installCodex || codex;
        return;
    }
    if (!claude && !codex) {
        emit errorReported(AIHookInstaller::noToolChosenMessage());
        setLastInstallMessage(QString());
        emit installFinished();
        return;
    }
    if (!m_accessManager || !m_installer) {
        failInstall(QStringLiteral("hook installation is not available"));
        return;
    }
    m_installing = true;
    m_installCodex = codex;
    if (!claude) {
        continueInstall(false, codex, std::nullopt);
        return;
    }
    QString error;
    if (!ensureAccess(AIHookTool::claude, &error)) {
        failInstall(error);
        return;
    }
    // The installed claude picks the events; asking it may take seconds, so not on this thread.
    auto* watcher = new QFutureWatcher<std::optional<ClaudeVersion>>(this);
    connect(watcher, &QFutureWatcher<std::optional<ClaudeVersion>>::finished, this, [this, watcher] {
        watcher->deleteLater();
        continueInstall(true, m_installCodex, watcher->result());
    });
    watcher->setFuture(m_installer->lookUpClaudeVersion());
}

void HookInstallFlow::continueInstall(bool claude, bool codex, std::optional<ClaudeVersion> version) {
    QString error;
    if (claude) {
        const bool done = m_accessManager->withAccess(
            AIHookTool::claude, m_hookPort(),
            [this, version](quint16 port, const QString& configPath, QString* operationError) {
                return m_installer->installClaudeHooks(port, configPath, version, operationError);
            },
            &error);
        if (!done) {
            failInstall(error);
            return;
        }
    }
    if (codex) {
        if (!ensureAccess(AIHookTool::codex, &error)) {
            failInstall(error);
            return;
        }
        const bool done = m_accessManager->withAccess(
            AIHookTool::codex, m_hookPort(),
            [this](quint16 port, const QString& configPath, QString* operationError) {
                return m_installer->installCodexHooks(port, configPath, operationError);
            },
            &error);
        if (!done) {
            failInstall(error);
            return;
        }
    }
    refreshStatus();
    setLastInstallMessage(AIHookInstaller::installMessage(claude, codex));
    emit errorReported(QString());
    m_installing = false;
    emit installFinished();
}

void HookInstallFlow::failInstall(const QString& description) {
    // A tool connected before the failure is connected: the status says so.
    refreshStatus();
    setLastInstallMessage(QString());
    emit errorReported(AIHookInstaller::setupFailedMessage(description));
    qCCritical(lcHooks, "hook install failed: %s", qUtf8Printable(description));
    m_installing = false;
    emit installFinished();
}
