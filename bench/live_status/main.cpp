// Time from a hook event entering the store to the compact live status that shows it being
// published, over many events: live_status [events]
// Each event asks, so it becomes the status at once; the store is kept full (50 events), as it
// is once a tool has been busy for a while. Prints the median, p99 and worst case.
#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/controls/MediaRemoteBridge.h"
#include "Brimlark/controls/MediaService.h"
#include "Brimlark/controls/TimerService.h"
#include "Brimlark/core/AppState.h"
#include "Brimlark/core/PermissionsCoordinator.h"
#include "Brimlark/organizer/CalendarService.h"
#include "Brimlark/surface/CompactLiveStatusStore.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakeEventStore.h"
#include "platform/fake/FakePermissions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10000;

    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("defaults.json")));
    AppState appState(defaults);
    FakeEventStore eventStore;
    FakePermissions permissions;
    PermissionsCoordinator permissionsCoordinator(eventStore, permissions, nullptr);
    CalendarService calendar(permissionsCoordinator);
    MediaRemoteBridge bridge;
    MediaService media(bridge);
    TimerService timer(appState, nullptr);
    AIHooksService hooks(appState, dir.filePath(QStringLiteral("support")), nullptr, nullptr, nullptr,
                         Clock::system());

    CompactLiveStatusStore store(hooks, timer, calendar, media);
    store.start();
    store.recompute();

    QUuid expected;
    bool seen = false;
    QObject::connect(&store, &CompactLiveStatusStore::currentChanged, &store,
                     [&](const std::optional<CompactLiveStatus>& status) {
                         if (status && status->event() && status->event()->id == expected)
                             seen = true;
                     });

    auto makeEvent = [](int i) {
        HookEvent event;
        event.id = QUuid::createUuid();
        event.source = i % 2 ? HookEvent::Source::claude : HookEvent::Source::codex;
        event.status = HookEvent::Status::asking;
        event.title = QStringLiteral("run tests %1?").arg(i);
        event.timestamp = QDateTime::currentDateTimeUtc();
        return event;
    };
    for (int i = 0; i < AIHooksService::maxEvents; ++i)
        hooks.ingest(makeEvent(i));
    QCoreApplication::processEvents();

    std::vector<qint64> nanoseconds;
    nanoseconds.reserve(static_cast<size_t>(count));
    QElapsedTimer clock;
    for (int i = 0; i < count; ++i) {
        const HookEvent event = makeEvent(i);
        expected = event.id;
        seen = false;
        clock.start();
        hooks.ingest(event);
        while (!seen)
            QCoreApplication::processEvents();
        nanoseconds.push_back(clock.nsecsElapsed());
    }

    std::sort(nanoseconds.begin(), nanoseconds.end());
    auto at = [&](double fraction) {
        const size_t index =
            std::min(nanoseconds.size() - 1, static_cast<size_t>(fraction * nanoseconds.size()));
        return static_cast<double>(nanoseconds[index]) / 1e6;
    };
    std::printf("live status: %d events, event in the store to status published\n", count);
    std::printf("  median %.3f ms, p99 %.3f ms, worst %.3f ms (target: p99 <= 2 ms)\n", at(0.5), at(0.99),
                static_cast<double>(nanoseconds.back()) / 1e6);
    return at(0.99) <= 2.0 ? 0 : 1;
}
