#pragma once

namespace KeyboardShortcuts {

// How an association holds its value, by the values of the Objective-C runtime's policies. A C++
// slot always holds its own copy of the value, so the policy is carried for callers that pass it
// on, not acted upon.
enum class AssociationPolicy {
    assign = 0,
    retainNonatomic = 1,
    copyNonatomic = 3,
    retain = 769,
    copy = 771,
};

} // namespace KeyboardShortcuts
