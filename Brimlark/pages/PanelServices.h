#pragma once

class Accessibility;
class AIHooksService;
class AppLauncherService;
class AppState;
class CalendarService;
class CameraMirrorService;
class FileShelfService;
class FocusService;
class MediaService;
class MicMuteService;
class NotesService;
class PermissionsCoordinator;
class QuickActionsStore;
class RemindersService;
class TimerService;
class Workspace;

// The services the panel and the settings window read, in one value. The coordinator holds the one
// the app runs on and hands it by reference to the views it builds, which keep that reference:
// whoever builds a view keeps the value alive, at the same address, for as long as the view, and a
// view cannot be given a temporary. An empty field turns off what needs it.
struct PanelServices {
    AppState* appState = nullptr;
    QuickActionsStore* quickActions = nullptr;
    NotesService* notes = nullptr;
    AppLauncherService* apps = nullptr;
    TimerService* timer = nullptr;
    // Not shared instances: the coordinator builds them on first use and fills them in before it
    // builds the panel.
    CalendarService* calendar = nullptr;
    RemindersService* reminders = nullptr;
    PermissionsCoordinator* permissions = nullptr;
    MediaService* media = nullptr;
    MicMuteService* mic = nullptr;
    FocusService* focus = nullptr;
    CameraMirrorService* mirror = nullptr;
    FileShelfService* fileShelf = nullptr;
    AIHooksService* aiHooks = nullptr;
    // Opens addresses and applications and holds the clipboard: basic mode's web search, the notes
    // page's copy, the Focus page.
    Workspace* workspace = nullptr;
    // Reduce motion swaps springs for short eases; none means full motion.
    Accessibility* accessibility = nullptr;

    // The process-wide instances, taken in this order, over the installed platform objects; no
    // calendar or reminders.
    static PanelServices shared();
};
