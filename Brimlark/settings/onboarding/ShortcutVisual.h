#pragma once

#include "Brimlark/settings/onboarding/ShortcutToken.h"

#include <QList>
#include <QWidget>

// One key combination drawn as a row of key caps with a plus between each two; display only.
// Caps are told apart by position, so a key listed twice is drawn twice. The caps are children
// named "keyCap" (their accessible name is their label), the signs children named "plus"; the
// row's accessible name is the combination as written, "Super+Alt+N".
class ShortcutVisual : public QWidget {
    Q_OBJECT
public:
    explicit ShortcutVisual(const QList<ShortcutToken>& tokens, QWidget* parent = nullptr);
};
