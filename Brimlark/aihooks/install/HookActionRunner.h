#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"

#include <QString>

#include <optional>

class ProcessLauncher;
class Workspace;

// Starts an event's approve or deny action. A value over non-owning pointers, either of which may
// be null: the action then fails with a message.
class HookActionRunner {
public:
    HookActionRunner(Workspace* workspace, ProcessLauncher* launcher);

    // Opens the action's address (absolute, not a local file) with the workspace, else runs its
    // command in a login shell. True when it started; else false with `error` saying why (left
    // alone for an absent action; an action without an address or a command is an error).
    bool run(const std::optional<HookEvent::Action>& action, QString* error) const;

private:
    Workspace* m_workspace;
    ProcessLauncher* m_launcher;
};
