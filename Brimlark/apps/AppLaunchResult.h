#pragma once

#include <QString>

// How one application of the batch fared at the last launch: started, its file gone, or failed
// with a reason (kept for the log, never shown).
struct AppLaunchResult {
    enum class Kind { launched, missing, failed };
    Kind kind = Kind::launched;
    QString reason;

    static AppLaunchResult launched() { return {Kind::launched, {}}; }
    static AppLaunchResult missing() { return {Kind::missing, {}}; }
    static AppLaunchResult failed(const QString& reason) { return {Kind::failed, reason}; }

    // The word the views show for it; the reason of failed is never shown.
    QString label() const {
        switch (kind) {
        case Kind::launched:
            return QStringLiteral("launched");
        case Kind::missing:
            return QStringLiteral("missing");
        case Kind::failed:
            break;
        }
        return QStringLiteral("failed");
    }

    // Equal when of the same kind and, for failed, with the same reason.
    bool operator==(const AppLaunchResult& other) const {
        return kind == other.kind && (kind != Kind::failed || reason == other.reason);
    }
    bool operator!=(const AppLaunchResult& other) const { return !(*this == other); }
};
