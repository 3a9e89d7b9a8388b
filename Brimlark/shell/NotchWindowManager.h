#pragma once

#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/core/PanelAnimationProfile.h"
#include "Brimlark/shell/NotchHaloWindow.h"
#include "Brimlark/shell/NotchPanel.h"
#include "Brimlark/surface/CompactLiveStatus.h"
#include "Brimlark/surface/NotchRootView.h"
#include "platform/Screens.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>

#include <optional>

class DesktopWindows;
class GlobalInput;
class QParallelAnimationGroup;
class QPropertyAnimation;

// Owns the panel over the notch: hosts the root view in it, keeps its frame, alpha and screen in
// step with the interaction mode, turns pointer movement near the notch into hover reports and a
// click outside the open panel into a close. A hover opening leaves the keyboard where it is, and
// so does a click on a control of such a panel; a click into text (or one that opens a text
// field) takes it, as any other opening does, and closing gives it back to the window that had it
// before, unless the user has since given it to another. Without a compositor the panel is clipped to its
// outline. The glow, when there is one, lives in a window of its own that follows the panel. The closed panel
// is moved, faded or raised only when its frame, opacity or stacking has to change: the live status publishes
// often, and most updates change none of them. The root view is built over `services`, which the manager
// reads too (the settings, reduce motion, what the live status shows).
class NotchWindowManager : public QObject {
    Q_OBJECT
public:
    NotchWindowManager(const PanelServices& services, NotchRootView::Inputs inputs, Screens& screens,
                       GlobalInput& globalInput, DesktopWindows* desktopWindows = nullptr,
                       QObject* parent = nullptr);
    NotchWindowManager(const PanelServices&& services, NotchRootView::Inputs inputs, Screens& screens,
                       GlobalInput& globalInput, DesktopWindows* desktopWindows = nullptr,
                       QObject* parent = nullptr) = delete;
    ~NotchWindowManager() override;

    // Builds the panel on the notch screen and installs the observers and monitors.
    void setup();
    // Removes the monitors and observers and puts the panel away.
    void teardown();

    // Moves and sizes the panel for `mode`.
    void applyMode(const InteractionEngine::Mode& mode, bool animated);
    // Evaluates the hover region for the pointer at `position` on `screen`.
    void updateHoverRegion(const QPoint& position, const ScreenDescription& screen);
    // What a change of the live status does: re-sizes the closed panel, animated; nothing while open.
    void refreshClosedFrame();

    NotchPanel* panel() const { return m_panel; }
    // The glow's window; none without a glow view.
    NotchHaloWindow* haloWindow() const { return m_haloWindow; }
    NotchRootView* hostingView() const { return m_hostingView; }
    const std::optional<ScreenDescription>& currentScreen() const { return m_currentScreen; }
    bool hoverRegionActive() const { return m_hoverRegionActive; }
    // The frame the panel is moving to (or sits at).
    QRect targetFrame() const { return m_targetFrame; }
    // The panel is being opened from a menu: the focus moves of the menu closing are not a click
    // outside for a short while.
    void expectMenuFocusChange() { m_sinceKeyboardOpening.start(); }
    // The opacity the panel rests at, the same for every profile. Unlike animationProfile() it
    // does not ask the desktop's reduce-motion setting, whose first reading loads the desktop's
    // settings machinery: a panel that only stays where it is never needs it.
    double restingAlpha() const;
    // The profile the current settings choose.
    PanelAnimationProfile animationProfile() const;

    // Width × height of the panel for `mode`; closed, 356 × 102 with a live status, else the notch.
    static QSizeF panelSize(const InteractionEngine::Mode& mode, bool hasCompactStatus, const QSizeF& notch);
    // The notch of `screen` placed like the closed panel, grown by 22 points left and right and 12
    // above and below.
    static QRectF closedHoverRegion(const ScreenDescription& screen);

private:
    bool hasCompactStatus() const;
    void handlePointer(const QPoint& position);
    void handleMouseDown(Qt::MouseButton button, const QPoint& position);
    void handleScreenChange();
    // Escape in the open panel closes it; the keyboard goes back to where it was.
    void closeFromKeyboard();
    std::optional<ScreenDescription> screenContaining(const QPoint& position) const;
    std::optional<ScreenDescription> resolveCurrentScreen() const;
    void stopAnimations();
    // Moves the panel to `target` over the profile's duration: frame and opacity together, or a
    // cross-fade in place when the profile keeps the frame still.
    void animateTo(const QRect& target, const PanelAnimationProfile& profile);
    // The steps of setup() after the panel is built: the mode and the closed panel's content,
    // then the screens and the global pointer.
    void observeModeAndContent();
    void watchScreensAndPointer();
    // Notes the window holding the keyboard unless it is the panel itself.
    void rememberFocus();
    // Gives the keyboard back after the panel closed, when the panel still holds it.
    void restoreFocus();
    bool panelHasFocus() const;
    // A press into the panel: a right click opens the settings; a press into text takes the
    // keyboard; after any other, the click may have opened a text field (handleClickEnded()),
    // which takes it too.
    void handlePanelPressed(QWidget* target, Qt::MouseButton button);
    void handleClickEnded();
    // Lets the panel hold the keyboard, brings it to the front and gives it the keyboard.
    void takeKeyboard();
    // Clips the panel to its outline while no compositor runs; unclipped with one.
    void updateShape();
    // Builds the glow's window and ties it to the panel.
    void setupHaloWindow();
    // The panel's screen may have changed: the outline follows whether it has a physical notch.
    void relayoutForScreen();
    // Shows the glow's window over the panel when a glow is on show.
    void raiseHaloWindow();

    const PanelServices& m_services;
    NotchRootView::Inputs m_inputs;
    Screens& m_screens;
    GlobalInput& m_globalInput;
    DesktopWindows* m_desktopWindows;
    InteractionEngine& m_engine;

    QPointer<NotchPanel> m_panel;
    QPointer<NotchRootView> m_hostingView;
    QPointer<NotchHaloWindow> m_haloWindow;
    // The mode the panel was last laid out for.
    std::optional<InteractionEngine::Mode> m_appliedMode;
    QList<QMetaObject::Connection> m_monitors;
    QList<QMetaObject::Connection> m_cancellables;
    QMetaObject::Connection m_screenObserver;
    bool m_hoverRegionActive = false;
    std::optional<ScreenDescription> m_currentScreen;
    // The compact status the closed panel was last built for.
    std::optional<CompactLiveStatus> m_shownCompactStatus;
    QRect m_targetFrame;
    bool m_panelOpen = false;
    quint64 m_focusToRestore = 0;
    // Runs from an opening through a menu: the focus moves the menu's closing causes are not a
    // click outside.
    QElapsedTimer m_sinceKeyboardOpening;
    // The panel's focus widget when the last press into it began, while it lacked the keyboard.
    QPointer<QWidget> m_focusAtPress;
    bool m_pressWithoutKeyboard = false;
    // From a press into the panel until its click has been handled; a mode change made in that
    // time (the chevrons, the dots) is the panel's own and leaves the keyboard where it is.
    bool m_clickInProgress = false;
    bool m_modeChangedByClick = false;
    QPointer<QParallelAnimationGroup> m_frameAnimation;
    QPointer<QPropertyAnimation> m_fadeAnimation;
};
