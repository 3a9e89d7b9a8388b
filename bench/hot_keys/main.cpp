// Press to action of a global shortcut: hot_keys [presses]
// Under an X server (DISPLAY), XTest presses Super+Alt+N `presses` times (1,000 unless given) for
// each side, in rounds of 100 that take turns:
//  - the program's path: X11HotKeys grabs the combination for the hot-key registry, and a press is
//    timed from the XTest request leaving until the name's key-down action runs on the Qt loop;
//  - the anchor: a bare xcb client grabbing the same combination, timed until its key press event
//    arrives.
// Target: median and p99 <= 1.5 x the anchor's. Prints met/MISSED; exits 1 on a miss.
// (Run again under `taskset -c 0` for pinned figures.)
#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/Name.h"
#include "platform/KeyCodes.h"
#include "platform/UserDefaults.h"
#include "platform/linux/x11/X11HotKeys.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <poll.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

using namespace KeyboardShortcuts;

namespace {

using Clock = std::chrono::steady_clock;

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

double microseconds(Clock::time_point from, Clock::time_point to) {
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(to - from).count()) / 1e3;
}

// One xcb connection: the XTest sender, or the bare client that grabs.
struct Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;

    bool open() {
        c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c))
            return false;
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        return true;
    }
    ~Connection() {
        if (c)
            xcb_disconnect(c);
    }
};

void fakeKey(Connection& sender, quint8 type, quint32 keycode) {
    xcb_test_fake_input(sender.c, type, quint8(keycode), XCB_CURRENT_TIME, sender.root, 0, 0, 0);
}

// Sends the key's press and takes the time it left.
Clock::time_point press(Connection& sender, quint32 keycode) {
    fakeKey(sender, XCB_KEY_PRESS, keycode);
    const Clock::time_point sent = Clock::now();
    xcb_flush(sender.c);
    return sent;
}

void release(Connection& sender, quint32 keycode) {
    fakeKey(sender, XCB_KEY_RELEASE, keycode);
    xcb_flush(sender.c);
}

// The bare client's turn: grab, time `count` presses, let go.
bool timeBareClient(Connection& sender, Connection& bare, quint32 keycode, quint16 mask, int count,
                    std::vector<double>& out) {
    // The program's ungrab travels on its own connection and may reach the server a moment later.
    xcb_generic_error_t* error = nullptr;
    for (int attempt = 0; attempt < 200; ++attempt) {
        std::free(error);
        error = xcb_request_check(bare.c, xcb_grab_key_checked(bare.c, 1, bare.root, mask, quint8(keycode),
                                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (!error)
            break;
        usleep(1000);
    }
    if (error) {
        std::fprintf(stderr, "the bare client could not grab the key (X error %d)\n", error->error_code);
        std::free(error);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const Clock::time_point sent = press(sender, keycode);
        std::optional<Clock::time_point> seen;
        while (!seen) {
            pollfd fd{xcb_get_file_descriptor(bare.c), POLLIN, 0};
            if (poll(&fd, 1, 1000) <= 0) {
                std::fprintf(stderr, "the bare client saw no press\n");
                return false;
            }
            while (xcb_generic_event_t* event = xcb_poll_for_event(bare.c)) {
                if ((event->response_type & 0x7f) == XCB_KEY_PRESS && !seen)
                    seen = Clock::now();
                std::free(event);
            }
        }
        out.push_back(microseconds(sent, *seen));
        release(sender, keycode);
    }
    xcb_ungrab_key(bare.c, quint8(keycode), bare.root, mask);
    xcb_flush(bare.c);
    // The releases that were still on their way.
    while (xcb_generic_event_t* event = xcb_poll_for_event(bare.c))
        std::free(event);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QLoggingCategory::setFilterRules(QStringLiteral("com.brimlark.*.debug=false"));
    QGuiApplication app(argc, argv);
    const int presses = argc > 1 ? std::max(100, std::atoi(argv[1])) : 1000;
    constexpr int round = 100;

    Connection sender, bare;
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !sender.open() || !bare.open()) {
        std::fprintf(stderr, "hot_keys needs an X server (DISPLAY)\n");
        return 2;
    }
    const quint32 n = *KeyCodes::xKeycode(45);
    const quint32 super = *KeyCodes::xKeycode(55);
    const quint32 alt = *KeyCodes::xKeycode(58);
    const quint16 mask = KeyCodes::xMod4Mask | KeyCodes::xMod1Mask;

    QTemporaryDir dir;
    UserDefaults store(dir.filePath(QStringLiteral("defaults.json")));
    std::unique_ptr<X11HotKeys> hotKeys = X11HotKeys::create();
    if (!hotKeys) {
        std::fprintf(stderr, "hot_keys could not connect its hot keys to the X server\n");
        return 2;
    }
    CarbonKeyboardShortcuts registry(hotKeys.get());
    install(&store, nullptr, &registry);
    const Name name(QStringLiteral("toggleBasic"));
    const Shortcut combination(45, KeyCodes::carbonOption | KeyCodes::carbonCommand);

    std::optional<Clock::time_point> ran;
    QEventLoop* waiting = nullptr;
    registry.onKeyDown(name, [&] {
        ran = Clock::now();
        if (waiting)
            waiting->quit();
    });

    // The modifiers stay down for the whole run; only N goes down and up.
    fakeKey(sender, XCB_KEY_PRESS, super);
    fakeKey(sender, XCB_KEY_PRESS, alt);
    xcb_flush(sender.c);

    std::vector<double> program, anchor;
    bool ok = true;
    for (int done = 0; done < presses && ok; done += round) {
        ok = timeBareClient(sender, bare, n, mask, round, anchor);
        if (!ok)
            std::fprintf(stderr, "in the round after %d presses\n", done);
        if (!ok)
            break;
        // Stored (and so grabbed) for this round, cleared after it.
        name.setShortcut(combination);
        if (!registry.isEnabled(name)) {
            std::fprintf(stderr, "the registry could not grab Super+Alt+N\n");
            ok = false;
            break;
        }
        for (int i = 0; i < round; ++i) {
            ran.reset();
            const Clock::time_point sent = press(sender, n);
            QEventLoop loop;
            waiting = &loop;
            QTimer::singleShot(1000, &loop, &QEventLoop::quit);
            if (!ran)
                loop.exec();
            waiting = nullptr;
            if (!ran) {
                std::fprintf(stderr, "the action did not run\n");
                ok = false;
                break;
            }
            program.push_back(microseconds(sent, *ran));
            release(sender, n);
        }
        name.setShortcut(std::nullopt);
        QCoreApplication::processEvents();
    }
    fakeKey(sender, XCB_KEY_RELEASE, alt);
    fakeKey(sender, XCB_KEY_RELEASE, super);
    xcb_flush(sender.c);
    if (!ok)
        return 2;

    const double median = percentile(program, 0.5), p99 = percentile(program, 0.99);
    const double anchorMedian = percentile(anchor, 0.5), anchorP99 = percentile(anchor, 0.99);
    const bool met = median <= 1.5 * anchorMedian && p99 <= 1.5 * anchorP99;
    std::printf("press to action, %zu presses: median %.1f us, p99 %.1f us; bare xcb client median %.1f us, "
                "p99 %.1f us; ratios %.2fx / %.2fx (target <= 1.5x: %s)\n",
                program.size(), median, p99, anchorMedian, anchorP99, median / anchorMedian, p99 / anchorP99,
                met ? "met" : "MISSED");
    return met ? 0 : 1;
}
