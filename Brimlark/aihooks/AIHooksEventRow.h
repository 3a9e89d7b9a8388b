#pragma once

#include "Brimlark/aihooks/HookEvent.h"

#include <QDateTime>
#include <QWidget>

class AIHooksService;

// One event of the AI hooks page: a status light, the tool and how long ago, the title, the detail
// when there is one, and "allow" and "deny" when the event carries actions. Everything from the
// event is shown lower-cased and as plain text.
class AIHooksEventRow : public QWidget {
    Q_OBJECT
public:
    AIHooksEventRow(AIHooksService& service, const HookEvent& event, const QDateTime& now,
                    QWidget* parent = nullptr);

    const HookEvent& event() const { return m_event; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    HookEvent m_event;
};
