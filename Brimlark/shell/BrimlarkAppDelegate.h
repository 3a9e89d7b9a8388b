#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class AppCoordinator;

// Owns the one coordinator for the life of the process: starts it when launching has finished,
// opens the onboarding on first run, and stops it at termination.
class BrimlarkAppDelegate : public QObject {
    Q_OBJECT
public:
    static const QString showOnboardingArgument;

    // Creates the coordinator over the shared services, or takes the one given.
    explicit BrimlarkAppDelegate(std::unique_ptr<AppCoordinator> coordinator = nullptr,
                                 QObject* parent = nullptr);
    ~BrimlarkAppDelegate() override;

    AppCoordinator& coordinator() const { return *m_coordinator; }

    // Runs no regular window, starts the coordinator, and shows the onboarding when it is needed.
    void applicationDidFinishLaunching(const QStringList& arguments);
    // Another start of the program asked this one to show itself: the panel opens in the mode a
    // click opens, or the onboarding comes forward while it is not finished.
    void applicationShouldHandleReopen();
    // Stops the coordinator.
    void applicationWillTerminate();

private:
    std::unique_ptr<AppCoordinator> m_coordinator;
};
