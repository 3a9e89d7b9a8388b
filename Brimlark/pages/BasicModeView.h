#pragma once

#include "Brimlark/kit/BrimlarkAnimation.h"
#include "Brimlark/pages/PanelServices.h"
#include "Brimlark/quickactions/QuickAction.h"
#include "platform/Clock.h"

#include <QPointer>
#include <QSet>
#include <QSizeF>
#include <QWidget>

#include <functional>
#include <optional>

class PanelIconButton;
class QLabel;
class QuickActionsRow;
class QVBoxLayout;

// The open panel's basic mode: the next event beside the playing track and the running timer, the
// quick-action row with the settings and advanced buttons at its end, under it the inline
// calculator or web search when one is open, and the inline camera mirror; the timer picker opens
// over the panel just above the timer's button. The row keeps its place when a line under it says
// why a quick action did nothing. It handles the timer, calculator and search actions itself and
// hands every other one on; it changes the panel only through its callbacks. The calendar is
// refreshed each time it appears. The web search opens in the user's browser through the
// workspace, and none is opened without one; reduce motion swaps the spring for a short ease.
class BasicModeView : public QWidget {
    Q_OBJECT
public:
    struct Inputs {
        // The clock the media pane counts the timer down with.
        Clock* clock = Clock::system();
        bool hasPhysicalNotch = false;
        QSizeF notchSize;
        std::function<void()> onAdvancedRequested;
        std::function<void()> onOpenSettings;
        std::function<void(QuickAction::Kind)> onQuickAction;
        std::function<void()> onMediaPlayPause;
        std::function<void()> onMediaNext;
        std::function<void()> onMediaPrev;
    };

    // What the slot under the row holds. At most one is open at a time.
    enum class InlineUtility { timer, calculator, search };

    // The address a web search is appended to.
    static QString searchAddressPrefix();
    // The media column's width for a panel `width` wide: 31 % of it, held to 236 … 272.
    static int mediaColumnWidth(int width);
    // A drag on the advanced button longer than this (downwards) opens advanced mode.
    static constexpr int advancedDragDistance = 8;

    BasicModeView(const PanelServices& services, Inputs inputs, QWidget* parent = nullptr);
    BasicModeView(const PanelServices&& services, Inputs inputs, QWidget* parent = nullptr) = delete;

    const Inputs& inputs() const { return m_inputs; }

    // A tap on the row: timer, calculator and search are handled here, the rest go on.
    void handleQuickAction(QuickAction::Kind kind);
    // Opens `utility` in the slot, or closes it when it is the one open.
    void toggleInlineUtility(InlineUtility utility);
    // Opens the trimmed query in the browser and closes the search card; a blank query does
    // nothing and leaves the card open.
    void submitWebSearch();

    std::optional<InlineUtility> inlineUtility() const { return m_inlineUtility; }
    // The kinds the row marks as on: the store's, corrected by what this view knows.
    QSet<QuickAction::Kind> activeKinds() const;

    QString searchQuery() const { return m_searchQuery; }
    // The line under the row telling why the last quick action did nothing; empty while hidden.
    QString problemLine() const;
    QString calculatorResult() const { return m_calculatorResult; }

    // The parts, for inspection.
    QuickActionsRow* row() const { return m_row; }
    PanelIconButton* settingsButton() const { return m_settingsButton; }
    PanelIconButton* advancedButton() const { return m_advancedButton; }
    QWidget* calendarPane() const { return m_calendarPane; }
    QWidget* mediaPane() const { return m_mediaPane; }
    // The card in the slot, or null.
    QWidget* inlineWidget() const { return m_inlineWidget; }
    // The inline mirror while it is shown, or null.
    QWidget* inlineMirror() const { return m_mirrorView; }
    // The motion the last change of the slot or the mirror used.
    const BrimlarkAnimation& motion() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setInlineUtility(std::optional<InlineUtility> utility);
    void rebuildInlineSlot();
    // Puts the open timer picker just above the timer's button.
    void placeTimerPicker();
    void updateMirror();
    void updateMirrorProblem();
    void updateRow();
    void reveal(QWidget* widget);
    void showProblem(const QString& problem);
    void requestAdvanced();

    const PanelServices& m_services;
    Inputs m_inputs;
    std::optional<InlineUtility> m_inlineUtility;
    QString m_searchQuery;
    QString m_calculatorExpression;
    QString m_calculatorResult;

    QuickActionsRow* m_row = nullptr;
    PanelIconButton* m_settingsButton = nullptr;
    PanelIconButton* m_advancedButton = nullptr;
    QWidget* m_calendarPane = nullptr;
    QWidget* m_mediaPane = nullptr;
    QVBoxLayout* m_lower = nullptr;
    QLabel* m_problemLine = nullptr;
    QPointer<QWidget> m_inlineWidget;
    QPointer<QWidget> m_mirrorView;
    // Where a press on the advanced button began, and whether it has turned into a drag.
    std::optional<QPointF> m_pressPosition;
    bool m_dragging = false;
};
