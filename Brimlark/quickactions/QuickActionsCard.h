#pragma once

#include "Brimlark/quickactions/QuickAction.h"

#include <QAbstractButton>

class QLabel;
class QuickActionsKnob;

// One card of the quick-actions settings page: the action's symbol, name and whether basic mode
// shows it, with a switch at the end. The whole card is the button; its owner does the toggling.
class QuickActionsCard : public QAbstractButton {
    Q_OBJECT
public:
    QuickActionsCard(QuickAction action, QWidget* parent = nullptr);

    QuickAction::Kind kind() const { return m_kind; }
    // Updates the subtitle and slides the switch.
    void setShown(bool shown, bool animated = true);
    QString subtitle() const;
    QuickActionsKnob* knob() const { return m_knob; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // The checked state follows what the row shows; a click changes only the model behind it.
    void nextCheckState() override {}

private:
    QuickAction::Kind m_kind;
    bool m_shown;
    QLabel* m_subtitle;
    QuickActionsKnob* m_knob;
};
