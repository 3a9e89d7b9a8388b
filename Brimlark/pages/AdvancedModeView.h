#pragma once

#include <QSizeF>
#include <QWidget>

#include <functional>

class AIHooksService;
class AppLauncherService;
class AppState;
class CalendarService;
class FileShelfService;
class InteractionEngine;
class NotesService;
class PermissionsCoordinator;
class RemindersService;
class Workspace;

// The open panel's advanced mode: one of six pages with a header naming it, arrows to page, a close
// button and a row of page dots. Page contents that are not built yet show the page's title.
class AdvancedModeView : public QWidget {
    Q_OBJECT
public:
    struct Inputs {
        InteractionEngine* interactionEngine = nullptr;
        AppState* appState = nullptr;
        NotesService* notes = nullptr;
        AppLauncherService* apps = nullptr;
        CalendarService* calendar = nullptr;
        RemindersService* reminders = nullptr;
        PermissionsCoordinator* permissions = nullptr;
        FileShelfService* fileShelf = nullptr;
        AIHooksService* aiHooks = nullptr;
        // The clipboard the notes page copies to.
        Workspace* workspace = nullptr;
        bool hasPhysicalNotch = false;
        QSizeF notchSize;
        int page = 0;
        std::function<void()> onClose;
        // Brings up the settings window (the AI hooks page offers it).
        std::function<void()> onOpenSettings;
    };

    explicit AdvancedModeView(Inputs inputs, QWidget* parent = nullptr);

    // The page shown: the mode's page clamped into the six pages.
    int currentPage() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF dotsRect() const;

    Inputs m_inputs;
};
