#pragma once

#include "Brimlark/aihooks/events/HookEvent.h"

#include <QDateTime>
#include <QWidget>

class AIHooksRowText;
class AIHooksService;

// One event of the AI hooks page: a status light, the tool and how long ago, the title, the detail
// when there is one, and "allow" and "deny" when the event carries actions. Everything from the
// event is shown lower-cased and as plain text; a long title or detail shows only its beginning.
class AIHooksEventRow : public QWidget {
    Q_OBJECT
public:
    AIHooksEventRow(AIHooksService& service, const HookEvent& event, const QDateTime& now,
                    QWidget* parent = nullptr);

    const HookEvent& event() const { return m_event; }
    // Shows how long ago the event was as of `now`; only a text that changed is set again.
    void showTime(const QDateTime& now);
    QString timeText() const;

    // The most of a title or detail a row lays out, in characters and in lines.
    static constexpr qsizetype maxTextLength = 300;
    static constexpr qsizetype maxTextLines = 6;
    // `text` lower-cased as a row shows it: when longer than the limits, its beginning up to them,
    // ending in "…".
    static QString shownText(const QString& text);
    // True when a row built for `a` would look the same as one built for `b` (the relative time
    // aside, which the page brings up to date while it shows).
    static bool showsSame(const HookEvent& a, const HookEvent& b);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Says under the buttons why an action did not run; the event stays listed.
    void showFailure(const QString& text);

    HookEvent m_event;
    AIHooksRowText* m_time;
    AIHooksRowText* m_failure = nullptr;
};
