#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"

// When a question stops asking without the user answering it in Brimlark: the tool that asked
// shows, in a later event of the same session, that it has moved past the question. That event is
// the tool call finishing (the same tool name and input as the question, where the question
// carried them), the turn ending, the session ending or a new prompt. Notifications never settle
// a question. Events without a session id neither settle nor are settled.
struct HookSettleRule {
    // True when `later`, arriving after `question`, settles it.
    static bool settles(const HookEvent& later, const HookEvent& question);
    // True when `later` may settle some question at all.
    static bool canSettle(const HookEvent& later);
    // The question as it stays after settling: idle, without its actions, in its place and title.
    static void settle(HookEvent& question);
};
