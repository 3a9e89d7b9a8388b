#pragma once

#include <QHash>
#include <QList>
#include <QObject>

namespace QuickActions {
Q_NAMESPACE

// The quick actions of the basic panel, in their declared order; raw values are the case names.
enum class Kind { muteMic, dnd, timer, calculator, googleSearch, mirror, appLauncher, focus };
Q_ENUM_NS(Kind)

} // namespace QuickActions

// One quick action of the basic panel and whether it shows there. Identified by its kind.
struct QuickAction {
    using Kind = QuickActions::Kind;

    Kind kind = Kind::muteMic;
    bool enabled = true;

    // The eight kinds in declared order, each enabled; built once and shared.
    static const QList<QuickAction>& defaultList();

    bool operator==(const QuickAction& other) const { return kind == other.kind && enabled == other.enabled; }
    bool operator!=(const QuickAction& other) const { return !(*this == other); }
};

inline size_t qHash(QuickActions::Kind kind, size_t seed = 0) {
    return ::qHash(static_cast<int>(kind), seed);
}
