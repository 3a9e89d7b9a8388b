#pragma once

#include "Brimlark/aihooks/events/AIHookTool.h"
#include "Brimlark/aihooks/install/AIHookAccessStatus.h"
#include "Brimlark/aihooks/install/AIHookInstallationStatus.h"
#include "Brimlark/aihooks/install/ClaudeVersion.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class AIHookAccessManager;
class AIHookInstaller;

// Granting the tools' folders and connecting their hooks, and what is granted and installed. The
// outcome of a grant or an install is a message (lastInstallMessage()) and an error text handed
// out through errorReported(), empty after a success.
class HookInstallFlow : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString lastInstallMessage READ lastInstallMessage NOTIFY lastInstallMessageChanged)

public:
    // `supportDirectory` holds the bridge script; `hookPort` gives the port the hooks are to post
    // to, asked when a tool is connected.
    HookInstallFlow(QString supportDirectory, std::function<quint16()> hookPort, QObject* parent = nullptr);

    QString lastInstallMessage() const { return m_lastInstallMessage; }
    void setLastInstallMessage(const QString& message);
    AIHookInstallationStatus hookInstallationStatus() const { return m_installationStatus; }
    AIHookAccessStatus hookAccessStatus() const { return m_accessStatus; }
    bool isInstalling() const { return m_installing; }

    // Gives the flow its folder access and installer (not owned; they must outlive it). Without
    // them nothing counts as granted or installed, and grant/install report an error.
    void setToolWiring(AIHookAccessManager* accessManager, AIHookInstaller* installer);
    // Recomputes where the hook wiring lives and what is installed and granted.
    void refreshStatus();
    // Asks the user for the tool's folder (a folder picker).
    void grantAccess(AIHookTool tool);
    // True when the tool's folder is granted, asking the user when it is not.
    bool ensureAccess(AIHookTool tool, QString* error);
    // Connects the chosen tools: access first (asked for when missing), then the tool's wiring.
    // The claude version is looked up off the main thread, so the install finishes later;
    // installFinished() tells when. A call while one runs joins it: codex asked for while claude's
    // version is looked up is connected by the same run.
    void installHooks(bool claude, bool codex);

signals:
    void lastInstallMessageChanged(const QString& lastInstallMessage);
    // The text for lastError after a grant or an install: the failure, or empty after a success.
    void errorReported(const QString& error);
    void hookInstallationStatusChanged();
    void hookAccessStatusChanged();
    // An installHooks() call ended, with or without success.
    void installFinished();

private:
    void refreshAccessStatus();
    // The steps of an install after the claude version is known.
    void continueInstall(bool claude, bool codex, std::optional<ClaudeVersion> version);
    void failInstall(const QString& description);

    QString m_supportDirectory;
    std::function<quint16()> m_hookPort;
    QString m_lastInstallMessage;
    AIHookInstallationStatus m_installationStatus;
    AIHookAccessStatus m_accessStatus;
    AIHookAccessManager* m_accessManager = nullptr;
    AIHookInstaller* m_installer = nullptr;
    bool m_installing = false;
    // Whether the running install connects codex too (it may be asked for while claude's runs).
    bool m_installCodex = false;
};
