#pragma once

// Whether the program may reach each tool's configuration folder.
struct AIHookAccessStatus {
    bool claudeGranted = false;
    bool codexGranted = false;

    friend bool operator==(const AIHookAccessStatus& a, const AIHookAccessStatus& b) {
        return a.claudeGranted == b.claudeGranted && a.codexGranted == b.codexGranted;
    }
    friend bool operator!=(const AIHookAccessStatus& a, const AIHookAccessStatus& b) { return !(a == b); }
};
