#include "Brimlark/aihooks/events/HookSettleRule.h"

namespace {

enum class Step { none, toolCallEnd, moveOn };

Step stepOf(const HookEvent& event) {
    if (!event.eventName)
        return Step::none;
    const QString name = event.eventName->toLower();
    if (name == QLatin1String("posttooluse") || name == QLatin1String("posttoolusefailure"))
        return Step::toolCallEnd;
    if (name == QLatin1String("stop") || name == QLatin1String("stopfailure") ||
        name == QLatin1String("sessionend") || name == QLatin1String("userpromptsubmit"))
        return Step::moveOn;
    return Step::none;
}

bool hasSession(const HookEvent& event) {
    return event.sessionID && !event.sessionID->isEmpty();
}

} // namespace

bool HookSettleRule::canSettle(const HookEvent& later) {
    return hasSession(later) && stepOf(later) != Step::none;
}

bool HookSettleRule::settles(const HookEvent& later, const HookEvent& question) {
    if (question.status != HookEvent::Status::asking || question.id == later.id)
        return false;
    if (!canSettle(later) || later.source != question.source || later.sessionID != question.sessionID)
        return false;
    if (stepOf(later) == Step::moveOn)
        return true;
    // The end of a tool call settles only the question about that call.
    if (question.toolName && later.toolName != question.toolName)
        return false;
    if (question.toolInput && later.toolInput != question.toolInput)
        return false;
    return true;
}

void HookSettleRule::settle(HookEvent& question) {
    question.status = HookEvent::Status::idle;
    question.approveAction.reset();
    question.denyAction.reset();
}
