#pragma once

#include "Brimlark/core/AdvancedPage.h"
#include "platform/Clock.h"

#include <QObject>
#include <QString>

#include <optional>

class AppState;

// The one state machine that says what the notch panel shows. Every way of opening, paging and
// closing the panel ends in one of its operations; views and managers only read `mode`.
class InteractionEngine : public QObject {
    Q_OBJECT
public:
    // What the panel shows. Two modes are equal when they are the same case and, for advanced,
    // show the same page.
    class Mode {
    public:
        enum class Kind { advanced, hidden, peek, basic };

        Mode() = default;
        static Mode hidden() { return Mode(Kind::hidden, 0); }
        static Mode peek() { return Mode(Kind::peek, 0); }
        static Mode basic() { return Mode(Kind::basic, 0); }
        // Any page index is taken modulo the page count, so that a hand-edited stored page shows,
        // pages and is stored back as one real page wherever the mode is built.
        static Mode advanced(long long page) {
            return Mode(Kind::advanced, AdvancedPages::normalizedPage(page));
        }

        Kind kind() const { return m_kind; }
        bool isAdvanced() const { return m_kind == Kind::advanced; }
        // The page of an advanced mode; 0 for the other kinds.
        int page() const { return m_page; }
        // "hidden", "peek", "basic" or "advanced(page: 2)".
        QString toString() const;

        bool operator==(const Mode& other) const { return m_kind == other.m_kind && m_page == other.m_page; }
        bool operator!=(const Mode& other) const { return !(*this == other); }

    private:
        Mode(Kind kind, int page) : m_kind(kind), m_page(page) {}
        Kind m_kind = Kind::hidden;
        int m_page = 0;
    };

    // What opened the panel last.
    enum class InteractionTrigger { hover, click, shortcut, gesture };
    Q_ENUM(InteractionTrigger)

    explicit InteractionEngine(AppState& appState, Clock* clock = Clock::system(), QObject* parent = nullptr);

    Mode mode() const { return m_mode; }
    std::optional<InteractionTrigger> lastOpenTrigger() const { return m_lastOpenTrigger; }
    void setLastOpenTrigger(std::optional<InteractionTrigger> trigger) { m_lastOpenTrigger = trigger; }
    // When true, the pointer resting over the notch opens nothing until it has left once.
    bool suppressHoverActivationUntilExit() const { return m_suppressHoverActivationUntilExit; }
    void setSuppressHoverActivationUntilExit(bool suppress) { m_suppressHoverActivationUntilExit = suppress; }
    // True while a hover opening waits for its delay.
    bool hasPendingHoverActivation() const { return m_hoverActivationTimer->isActive(); }

    // The only writer of `mode`. Setting the current mode does nothing at all.
    void setMode(const Mode& mode);
    // Opens the panel in the mode that suits `trigger`, or closes it when it already shows that
    // mode (for any trigger but hover).
    void open(InteractionTrigger trigger);
    // Called on every entry into (true) and exit from (false) the notch's hover region.
    void hover(bool inside);
    // Page backward or forward in advanced mode, wrapping; ignored elsewhere or for pageCount < 1.
    void previousPage(int pageCount);
    void nextPage(int pageCount);
    // Closes the panel as a click outside or the close control does.
    void close();

    // The mode a trigger opens.
    Mode targetMode(InteractionTrigger trigger) const;
    // The stored hover delay clamped to 0.1 … 0.5 s; a non-finite value counts as 0.1 s.
    double clampedHoverDelay() const;

signals:
    void modeChanged(const InteractionEngine::Mode& mode, const InteractionEngine::Mode& previous);

private:
    void scheduleHoverActivation();
    void cancelHideAfterPeek();
    // Advanced mode on the stored last page, normalised into the six pages.
    Mode lastAdvancedMode() const;

    AppState& m_appState;
    Mode m_mode = Mode::hidden();
    ClockTimer* m_hideAfterPeekTimer;
    ClockTimer* m_hoverActivationTimer;
    std::optional<InteractionTrigger> m_lastOpenTrigger;
    bool m_suppressHoverActivationUntilExit = false;
};

Q_DECLARE_METATYPE(InteractionEngine::Mode)
