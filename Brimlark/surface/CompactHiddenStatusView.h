#pragma once

#include "Brimlark/surface/CompactLiveStatus.h"
#include "platform/Clock.h"

#include <QColor>
#include <QDateTime>
#include <QPixmap>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTextLayout>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class AIHooksService;
class CompactStatusButton;
class QPainter;

// The closed panel's live status: one pill at the bottom of the panel with an icon, a headline, an
// optional second line and, for an AI event that carries actions, "allow" and "deny"; an action
// that could not start leaves its reason across the pill in place of the second line. Every other
// text and colour follows from the status and the time; refreshContent() re-reads the time. Screen
// readers see a status bar named by the headline, described by the second line, and the buttons.
class CompactHiddenStatusView : public QWidget {
    Q_OBJECT
public:
    // What the pill says and how its icon looks at one moment.
    struct Content {
        QString iconName;
        QColor iconColor;
        QString headline;
        std::optional<QString> secondLine;

        bool operator==(const Content& other) const {
            return iconName == other.iconName && iconColor == other.iconColor && headline == other.headline &&
                   secondLine == other.secondLine;
        }
        bool operator!=(const Content& other) const { return !(*this == other); }
    };

    // `aiHooks` runs the buttons' actions; without it no buttons are shown.
    CompactHiddenStatusView(const CompactLiveStatus& status, AIHooksService* aiHooks, bool hasPhysicalNotch,
                            const QSizeF& notchSize, Clock* clock = Clock::system(),
                            QWidget* parent = nullptr);

    static Content contentFor(const CompactLiveStatus& status, const QDateTime& now);

    const CompactLiveStatus& status() const { return m_status; }
    const Content& content() const { return m_content; }
    // The pill within the view.
    QRectF pillRect() const { return m_pillRect; }
    CompactStatusButton* allowButton() const { return m_allow; }
    CompactStatusButton* denyButton() const { return m_deny; }

    // Re-reads the time; repaints only the characters or the icon that changed, nothing when none
    // did.
    void refreshContent();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One line of the pill as drawn: its text, cut to the column's width, laid out once per change.
    struct Line {
        QString shown;
        std::unique_ptr<QTextLayout> layout = std::make_unique<QTextLayout>();
    };

    void layoutPill();
    // What the pill says now: the status's texts at the clock's time, a failed action's reason in
    // place of the second line.
    Content currentContent() const;
    // Runs the event's action; one that did not start leaves its reason on the pill.
    void runAction(const QUuid& id, HookEvent::Action::Kind kind);
    // Lays out `text` in `line`, cut with an ellipsis where it is wider than the text column (or
    // `width`).
    void setLine(Line& line, const QString& text, const QFont& font) const;
    static void setLine(Line& line, const QString& text, const QFont& font, qreal width);
    // The part of `area` from the first character in which `before` and `after` differ to the end
    // of the longer of the two; empty when they are the same.
    static QRect changedTail(const Line& before, const Line& after, const QRectF& area);
    void paintLine(QPainter& painter, const Line& line, const QRectF& area, const QColor& color) const;
    // Gives screen readers the pill's texts.
    void updateAccessibleText();
    qreal textColumnHeight() const;
    // The pill's fill, edge and icon, drawn once per layout and icon: a countdown repaints only the
    // line that moved, over this.
    const QPixmap& chrome();
    void paintChrome(QPainter& painter) const;

    CompactLiveStatus m_status;
    QPointer<AIHooksService> m_aiHooks;
    bool m_hasPhysicalNotch;
    QSizeF m_notchSize;
    Clock* m_clock;
    Content m_content;
    QRectF m_pillRect;
    QRectF m_textRect;
    QRectF m_iconRect;
    QRectF m_headlineRect;
    QRectF m_secondLineRect;
    QPixmap m_chrome;
    Line m_headline;
    Line m_secondLine;
    // A failed action's reason, under the top row across the pill, and its lines.
    QRectF m_reasonRect;
    std::vector<Line> m_reasonLines;
    CompactStatusButton* m_allow = nullptr;
    CompactStatusButton* m_deny = nullptr;
    // Why the last allow or deny did not start ("could not open deny: nothing could open the link"),
    // shown in place of the second line for as long as the pill shows.
    std::optional<QString> m_failure;
};
