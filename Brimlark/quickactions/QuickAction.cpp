#include "Brimlark/quickactions/QuickAction.h"

#include "Brimlark/core/EnumText.h"

const QList<QuickAction>& QuickAction::defaultList() {
    static const QList<QuickAction> list = [] {
        QList<QuickAction> actions;
        for (Kind kind : allCases<Kind>())
            actions.append(QuickAction{kind, true});
        return actions;
    }();
    return list;
}
