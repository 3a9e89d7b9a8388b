#pragma once

#include <QString>

// Where the hook wiring lives and whether each tool's hooks are installed.
struct AIHookInstallationStatus {
    QString bridgeScriptPath;
    QString claudeSettingsPath;
    QString codexConfigPath;
    QString codexHooksPath;
    bool claudeInstalled = false;
    bool codexInstalled = false;

    friend bool operator==(const AIHookInstallationStatus& a, const AIHookInstallationStatus& b) {
        return a.bridgeScriptPath == b.bridgeScriptPath && a.claudeSettingsPath == b.claudeSettingsPath &&
               a.codexConfigPath == b.codexConfigPath && a.codexHooksPath == b.codexHooksPath &&
               a.claudeInstalled == b.claudeInstalled && a.codexInstalled == b.codexInstalled;
    }
    friend bool operator!=(const AIHookInstallationStatus& a, const AIHookInstallationStatus& b) {
        return !(a == b);
    }
};
