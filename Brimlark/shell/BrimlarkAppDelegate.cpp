#include "Brimlark/shell/BrimlarkAppDelegate.h"

#include "Brimlark/core/Logging.h"
#include "Brimlark/settings/onboarding/OnboardingView.h"
#include "Brimlark/shell/AppCoordinator.h"
#include "platform/UserDefaults.h"

#include <QGuiApplication>

const QString BrimlarkAppDelegate::showOnboardingArgument =
    QStringLiteral("-brimlark-ui-test-show-onboarding");

namespace {
bool needsOnboarding(UserDefaults& defaults, const QStringList& arguments) {
    if (arguments.contains(BrimlarkAppDelegate::showOnboardingArgument))
        defaults.setBool(OnboardingView::onboardedKey, false);
    return !defaults.boolValue(OnboardingView::onboardedKey);
}
} // namespace

BrimlarkAppDelegate::BrimlarkAppDelegate(std::unique_ptr<AppCoordinator> coordinator, QObject* parent)
    : QObject(parent),
      m_coordinator(coordinator ? std::move(coordinator) : std::make_unique<AppCoordinator>()) {}

BrimlarkAppDelegate::~BrimlarkAppDelegate() = default;

void BrimlarkAppDelegate::applicationDidFinishLaunching(const QStringList& arguments) {
    // An accessory: the program lives in the tray, so closing its last window must not end it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    m_coordinator->start();
    if (needsOnboarding(m_coordinator->defaults(), arguments))
        m_coordinator->showOnboarding();
}

void BrimlarkAppDelegate::applicationShouldHandleReopen() {
    if (!m_coordinator->defaults().boolValue(OnboardingView::onboardedKey)) {
        m_coordinator->showOnboarding();
        return;
    }
    // Opened like a click, so the panel takes the keyboard; an open panel stays open.
    using Trigger = InteractionEngine::InteractionTrigger;
    using Kind = InteractionEngine::Mode::Kind;
    InteractionEngine& engine = m_coordinator->interactionEngine();
    const Kind shown = engine.mode().kind();
    if (shown == Kind::basic || shown == Kind::advanced)
        return;
    engine.setLastOpenTrigger(Trigger::click);
    engine.setMode(engine.targetMode(Trigger::click));
}

void BrimlarkAppDelegate::applicationWillTerminate() {
    m_coordinator->stop();
    qCInfo(lcApp, "Brimlark stopped");
}
