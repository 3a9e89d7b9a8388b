#pragma once

#include "platform/FileWatch.h"
#include "platform/LoopbackListener.h"

class Accessibility;
class AudioInput;
class Bookmarks;
class Camera;
class FilePicker;
class ProcessLauncher;
class Clock;
class DesktopWindows;
class EventStore;
class GlobalInput;
class MediaPlayers;
class Notifications;
class Permissions;
class Screens;
class Share;
class UserDefaults;
class Workspace;

// The desktop objects of this process. The executable builds the Linux ones and installs them
// before anything asks for a shared service; the composition root (Brimlark/shell/SharedServices.cpp)
// builds every shared() instance over them, while tests build services over fakes and never touch
// this.
struct PlatformServices {
    UserDefaults* defaults = nullptr;
    Clock* clock = nullptr;
    Screens* screens = nullptr;
    GlobalInput* globalInput = nullptr;
    Accessibility* accessibility = nullptr;
    Permissions* permissions = nullptr;
    EventStore* eventStore = nullptr;
    Workspace* workspace = nullptr;
    // The window manager's hints for the panel, the keyboard focus and the compositor.
    DesktopWindows* desktopWindows = nullptr;
    // The camera of the mirror; it makes nothing of the capture stack until the mirror first starts.
    Camera* camera = nullptr;
    // May stay empty when no notification backend is available; services then post nothing.
    Notifications* notifications = nullptr;
    // Runs the hook events' action commands.
    ProcessLauncher* launcher = nullptr;
    // Folder access to the AI tools' configuration folders and the shelved files.
    Bookmarks* bookmarks = nullptr;
    FilePicker* filePicker = nullptr;
    // Sends shelved files to a nearby device.
    Share* share = nullptr;
    // The desktop's music players; may stay empty: no player then answers.
    MediaPlayers* mediaPlayers = nullptr;
    // The program's own audio input, which the microphone mute silences.
    AudioInput* audioInput = nullptr;
    // Make the hook endpoint's listener and the hook inbox's watch.
    LoopbackListener::Factory loopbackListenerFactory;
    FileWatch::Factory fileWatchFactory;

    // Installs the process's objects; call once, before the first shared service.
    static void install(const PlatformServices& services);
    // The installed objects. Asking before install() is a programming error and aborts.
    static const PlatformServices& current();
};
