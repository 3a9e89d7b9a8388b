#pragma once

#include <QString>

#include <optional>
#include <tuple>

// The version the installed "claude" program reports; it decides which hook events exist.
struct ClaudeVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;

    // The first "major.minor.patch" anywhere in `text`; nothing when there is none or a part does
    // not fit an integer.
    static std::optional<ClaudeVersion> parse(const QString& text);

    friend bool operator<(const ClaudeVersion& a, const ClaudeVersion& b) {
        return std::tie(a.major, a.minor, a.patch) < std::tie(b.major, b.minor, b.patch);
    }
    friend bool operator>=(const ClaudeVersion& a, const ClaudeVersion& b) { return !(a < b); }
    friend bool operator==(const ClaudeVersion& a, const ClaudeVersion& b) {
        return std::tie(a.major, a.minor, a.patch) == std::tie(b.major, b.minor, b.patch);
    }
    friend bool operator!=(const ClaudeVersion& a, const ClaudeVersion& b) { return !(a == b); }
};
