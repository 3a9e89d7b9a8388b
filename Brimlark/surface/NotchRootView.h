#pragma once

#include "Brimlark/core/InteractionEngine.h"
#include "Brimlark/pages/PanelServices.h"
#include "Brimlark/quickactions/QuickAction.h"
#include "platform/Screens.h"

#include <QPixmap>
#include <QPointer>
#include <QSizeF>
#include <QWidget>

#include <functional>

class CompactLiveStatusStore;
class FileShelfOverlay;
class HoverTrackingView;
class NotchHalo;
class NotchTapCatcher;
class QPainter;

// The one view the notch panel hosts: the black notch-shaped body and, inside it, what the current
// mode shows (the compact live status while closed, the basic or the advanced view when open), the
// shelf's drop area in basic mode, an invisible hover tracker and click catcher. It receives the
// drags of files and hands them to the shelf's drop area. The glow runs just
// outside the panel's outline, beyond this view: the window manager shows it in a window of its
// own over the panel. The view changes nothing itself: every action goes to the engine or to a
// callback. Both modes are built over the panel's services the view was given.
class NotchRootView : public QWidget {
    Q_OBJECT
public:
    struct Inputs {
        InteractionEngine* interactionEngine = nullptr;

        // The compact live status. `compactStatus` is the store the window manager observes;
        // `hasCompactStatus` answers whether a status is on show; `makeCompactStatusView` builds its
        // view for the closed panel, given the notch it sits under. Each may stay empty, and the
        // closed panel then shows no status. Call refresh() when the status changes.
        CompactLiveStatusStore* compactStatus = nullptr;
        std::function<bool()> hasCompactStatus;
        std::function<QWidget*(QWidget* parent, bool hasPhysicalNotch, const QSizeF& notchSize)>
            makeCompactStatusView;
        // The glow around the panel, which the window manager hosts in a window of its own; none
        // when empty. `hasPhysicalNotch` answers for the screen the panel is on when it is asked.
        std::function<NotchHalo*(QWidget* parent, std::function<bool()> hasPhysicalNotch)> makeHaloView;

        std::function<void(QuickAction::Kind)> onQuickAction;
        std::function<void()> onOpenSettings;
        std::function<void()> onMediaPlayPause;
        std::function<void()> onMediaNext;
        std::function<void()> onMediaPrev;
    };

    NotchRootView(const PanelServices& services, Inputs inputs, const Screens& screens,
                  QWidget* parent = nullptr);
    NotchRootView(const PanelServices&& services, Inputs inputs, const Screens& screens,
                  QWidget* parent = nullptr) = delete;

    const Inputs& inputs() const { return m_inputs; }
    bool hasCompactStatus() const;

    // The screen the view measures itself against: the main screen, else the deepest, else none.
    ScreenDescription screen() const;
    bool hasPhysicalNotch() const;
    QSizeF currentNotchSize() const;
    // The space above the open content: 0 closed, 34 under a physical notch, 26 without one.
    int contentTopInset() const;

    // The layers, for inspection.
    QWidget* modeView() const { return m_modeView; }
    FileShelfOverlay* shelfOverlay() const { return m_shelfOverlay; }
    HoverTrackingView* hoverTracker() const { return m_hoverTracker; }
    NotchTapCatcher* tapCatcher() const { return m_tapCatcher; }

    // Follows a change of the compact status: the closed panel shows it or drops it.
    void refresh();
    // Whether the pointer entering at `position` starts the hover opening. The whole view does,
    // except while closed with a live status: then only the notch's hover region at the top centre
    // does, and the status below it (with its buttons) is left to the pointer. Moving on from the
    // status up to the notch brings no new entry; the window manager, which watches the same region
    // on the desktop, reports that.
    bool hoverOpensAt(const QPoint& position) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Files dragged over the open basic panel go to the shelf's drop area; files dragged onto the
    // closed notch open the basic panel as a hover does, and close it again when they leave undropped.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // A left click on the closed live status that none of its buttons took opens the panel, as the
    // click catcher does on the closed notch without one.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void rebuildModeView();
    void updateHitTesting();
    void updateHoverTracker();
    void layoutLayers();
    void fadeIn(QWidget* view);
    void openAdvanced();
    void closePanel();
    // The panel's fill, sheen and hairlines at the view's size, drawn once per size: the views on
    // top of it (a countdown, a cursor) repaint small parts many times over.
    const QPixmap& backdrop();
    static void paintBackdrop(QPainter& painter, const QRectF& bounds, bool notched);

    const PanelServices& m_services;
    Inputs m_inputs;
    const Screens& m_screens;
    InteractionEngine::Mode m_shownMode;
    QWidget* m_content;
    QPointer<QWidget> m_modeView;
    FileShelfOverlay* m_shelfOverlay = nullptr;
    HoverTrackingView* m_hoverTracker;
    NotchTapCatcher* m_tapCatcher;
    QPixmap m_backdrop;
    bool m_backdropNotched = false;
    // The panel was opened by files dragged onto the closed notch and closes if they leave.
    bool m_openedByDrag = false;
    bool m_closedPressed = false;
};
