#pragma once

#include "KeyboardShortcuts/Name.h"

#include <map>

namespace KeyboardShortcuts {

// Where a program makes its names: each is made the first time it is asked for, so a name's
// default is stored at its first use (never while the program loads), once per run. A test
// resets the registry to play a new run.
class NameRegistry {
public:
    static NameRegistry& shared();

    // The name made at the first request for `rawValue` (with the default given then); later
    // requests get that one back and their default is not looked at.
    Name name(const QString& rawValue, const std::optional<Shortcut>& defaultShortcut = std::nullopt);
    // Forgets every name made: the next request makes it again, as at a new start.
    void reset();

private:
    std::map<QString, Name> m_names;
};

} // namespace KeyboardShortcuts
