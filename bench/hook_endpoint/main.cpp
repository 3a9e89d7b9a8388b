// Throughput, latency and memory of the hook endpoint over loopback, against a bare socket server
// that answers a fixed 200 in the same run. Not a test: it prints figures and the targets.
//
//   hook_endpoint [N]     N sequential POSTs per server and placement (default 20,000), one
//                         connection each; memory is compared over 100,000 further events.
//
// The comparison runs three times: as the scheduler places the threads, everything on one CPU (the
// cost of a request in CPU time), and the client on one CPU with the servers on another (every
// request crosses CPUs). Only the last two are judged. Left to the scheduler, a server's thread
// that happens to share the client's CPU answers in about a third of the time of one that keeps
// going back to another, idle CPU, whatever the server does; so the servers are compared only where
// they run under the same placement. A second, identical bare server runs beside the first as a
// check that equal servers measure equal there.

#include "Brimlark/aihooks/AIHooksService.h"
#include "Brimlark/core/AppState.h"
#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "platform/linux/kernel/LinuxLoopbackListener.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

long rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

QByteArray eventRequest(int i) {
    const QByteArray body =
        R"({"source":"claude","event":"PreToolUse","tool_name":"Bash","status":"working",)"
        R"("cwd":"/home/dev/src/app","session_id":"bench-)" +
        QByteArray::number(i) + R"(","timestamp":"2025-01-31T09:30:00.123456+00:00"})";
    return "POST /event HTTP/1.1\r\nHost: 127.0.0.1:43434\r\nContent-Type: "
           "application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// One request on a new connection; the time from connect to the server's close, or -1.
double exchangeMicroseconds(quint16 port, const QByteArray& request) {
    const auto start = SteadyClock::now();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) == ssize_t(request.size());
    char first[512];
    const ssize_t received = ok ? ::recv(fd, first, sizeof first, 0) : -1;
    ok = ok && received >= 15 && std::memcmp(first, "HTTP/1.1 200 OK", 15) == 0;
    char rest[512];
    while (ok && ::recv(fd, rest, sizeof rest, 0) > 0) {
    }
    ::close(fd);
    return ok ? std::chrono::duration<double, std::micro>(SteadyClock::now() - start).count() : -1.0;
}

struct Run {
    double seconds = 0;
    double p50 = 0;
    double p99 = 0;
    int failures = 0;
    int count = 0;
};

struct Samples {
    std::vector<double> latencies;
    double seconds = 0;
    int failures = 0;

    Run summary() {
        Run run;
        run.count = int(latencies.size()) + failures;
        run.seconds = seconds;
        run.failures = failures;
        std::sort(latencies.begin(), latencies.end());
        if (!latencies.empty()) {
            run.p50 = latencies[latencies.size() / 2];
            run.p99 = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
        }
        return run;
    }
};

void measure(quint16 port, int count, int offset, Samples& samples) {
    const auto start = SteadyClock::now();
    for (int i = 0; i < count; ++i) {
        const double micros = exchangeMicroseconds(port, eventRequest(offset + i));
        if (micros < 0)
            ++samples.failures;
        else
            samples.latencies.push_back(micros);
    }
    samples.seconds += std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// The baseline: accept, read the request once, answer a fixed 200, close.
class BareServer {
public:
    BareServer() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::listen(m_fd, SOMAXCONN);
        socklen_t length = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~BareServer() {
        m_stop = true;
        ::shutdown(m_fd, SHUT_RDWR);
        m_thread.join();
        ::close(m_fd);
    }
    quint16 port() const { return m_port; }

private:
    void serve() {
        static const char response[] = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                                       "11\r\nConnection: close\r\n\r\n{\"ok\":true}";
        char buffer[65536];
        while (!m_stop) {
            const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            if (::recv(client, buffer, sizeof buffer, 0) > 0)
                ::send(client, response, sizeof response - 1, MSG_NOSIGNAL);
            ::close(client);
        }
    }

    int m_fd = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

void print(const char* name, const Run& run) {
    std::printf("  %-20s %7d requests  %8.0f events/s  p50 %6.1f us  p99 %6.1f us  failures %d\n", name,
                run.count, run.count / run.seconds, run.p50, run.p99, run.failures);
}

// The CPUs this process may run on, in order.
std::vector<int> allowedCpus() {
    cpu_set_t set;
    CPU_ZERO(&set);
    std::vector<int> cpus;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
            if (CPU_ISSET(cpu, &set))
                cpus.push_back(cpu);
    return cpus;
}

// Restricts a thread to `cpus` (every allowed CPU when empty). Threads it starts later inherit this.
void pin(pthread_t thread, const std::vector<int>& cpus) {
    cpu_set_t set;
    CPU_ZERO(&set);
    for (const int cpu : cpus.empty() ? allowedCpus() : cpus)
        CPU_SET(cpu, &set);
    pthread_setaffinity_np(thread, sizeof set, &set);
}

// Where the threads run during one comparison; the servers always share one placement.
struct Placement {
    const char* name;
    std::vector<int> serverCpus; // the main thread, the listener thread and the bare servers' threads
    std::vector<int> clientCpus;
    bool judged; // whether the ratio target is checked on it
};

struct Comparison {
    Run endpoint;
    Run baseline;
    double ratio() const { return (endpoint.count / endpoint.seconds) / (baseline.count / baseline.seconds); }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 20000;
    const int memoryEvents = std::max(100000, count);

    QTemporaryDir folder;
    UserDefaults defaults(folder.filePath(QStringLiteral("defaults.json")));
    AppState state(defaults);
    AIHooksService service(state, folder.filePath(QStringLiteral("support")), nullptr, nullptr, nullptr,
                           Clock::system(), LinuxLoopbackListener::factory());
    service.setPort(0);
    std::atomic<int> ingested{0};
    QObject::connect(&service, &AIHooksService::eventsChanged, [&] { ++ingested; });
    const pthread_t mainThread = pthread_self();
    std::unique_ptr<BareServer> bare;
    // A second, identical bare server: how far two equal servers differ shows what the placement
    // alone does.
    std::unique_ptr<BareServer> twin;

    const std::vector<int> cpus = allowedCpus();
    std::vector<Placement> placements;
    // Unpinned first, while the scheduler still places every thread afresh.
    placements.push_back({"unpinned", {}, {}, false});
    placements.push_back({"one CPU", {cpus.front()}, {cpus.front()}, true});
    if (cpus.size() > 1)
        placements.push_back({"two CPUs", {cpus[cpus.size() - 1]}, {cpus[cpus.size() - 2]}, true});

    int exitCode = 0;
    // The client runs on its own thread; the main thread takes the hand-offs, as in the program.
    std::thread client([&] {
        // Moves the main thread, then restarts both servers from it so that their threads take
        // its placement.
        const auto placeServers = [&](const std::vector<int>& serverCpus) {
            pin(mainThread, serverCpus);
            QMetaObject::invokeMethod(
                &app,
                [&] {
                    service.stopListener();
                    service.startListener();
                    bare = std::make_unique<BareServer>();
                    twin = std::make_unique<BareServer>();
                },
                Qt::BlockingQueuedConnection);
            return service.isListening();
        };

        std::printf("hook endpoint benchmark: %d sequential POSTs over loopback per server and placement, "
                    "one connection each\n",
                    count);
        bool ratioOk = true;
        bool fastEnough = true;
        int failures = 0;
        for (const Placement& placement : placements) {
            if (!placeServers(placement.serverCpus)) {
                std::fprintf(stderr, "the listener did not start: %s\n", qPrintable(service.lastError()));
                exitCode = 1;
                QMetaObject::invokeMethod(
                    &app, [&app] { app.quit(); }, Qt::QueuedConnection);
                return;
            }
            pin(pthread_self(), placement.clientCpus);
            const quint16 port = service.boundPort();
            for (int i = 0; i < 1000; ++i) {
                exchangeMicroseconds(port, eventRequest(-1 - i));
                exchangeMicroseconds(bare->port(), eventRequest(-1 - i));
                exchangeMicroseconds(twin->port(), eventRequest(-1 - i));
            }
            // The servers take turns in blocks, so that other load on the machine falls on all of them.
            Samples endpointSamples;
            Samples bareSamples;
            Samples twinSamples;
            for (int done = 0; done < count; done += 500) {
                const int block = std::min(500, count - done);
                measure(port, block, done, endpointSamples);
                measure(bare->port(), block, done, bareSamples);
                measure(twin->port(), block, done, twinSamples);
            }
            const Comparison comparison{endpointSamples.summary(), bareSamples.summary()};
            std::printf("%s%s:\n", placement.name, placement.judged ? "" : " (not judged: placement varies)");
            print("endpoint (listener)", comparison.endpoint);
            print("bare 200 server", comparison.baseline);
            const Comparison twins{twinSamples.summary(), comparison.baseline};
            print("identical bare twin", twins.endpoint);
            std::printf("  throughput ratio endpoint / bare: %.2f (twin / bare: %.2f)\n", comparison.ratio(),
                        twins.ratio());
            if (placement.judged)
                ratioOk = ratioOk && comparison.ratio() >= 0.5;
            fastEnough = fastEnough && comparison.endpoint.count / comparison.endpoint.seconds >= 5000 &&
                         comparison.endpoint.p99 <= 2000;
            failures += comparison.endpoint.failures;
        }

        // Memory: the last listener takes 100,000 further events.
        const quint16 port = service.boundPort();
        QThread::msleep(300);
        const long rssBefore = rssKiB();
        Samples more;
        measure(port, memoryEvents, 0, more);
        failures += more.failures;
        // Let the main thread drain its queue before the memory is read.
        QThread::msleep(300);
        const long rssAfter = rssKiB();
        std::printf("RSS before %ld KiB, after %d more events %ld KiB, growth %ld KiB\n", rssBefore,
                    memoryEvents, rssAfter, rssAfter - rssBefore);
        std::printf("events stored by the main thread: %d changes, store holds %d\n", ingested.load(),
                    int(service.events().size()));
        const bool memoryOk = rssAfter - rssBefore <= 5 * 1024;
        std::printf("targets: >= 5,000 events/s and p99 <= 2 ms %s; >= 0.5 x bare on the same placement %s; "
                    "RSS growth <= 5 MB %s; failed requests %d\n",
                    fastEnough ? "met" : "MISSED", ratioOk ? "met" : "MISSED", memoryOk ? "met" : "MISSED",
                    failures);
        exitCode = (fastEnough && ratioOk && memoryOk && failures == 0) ? 0 : 1;
        QMetaObject::invokeMethod(
            &app, [&app] { app.quit(); }, Qt::QueuedConnection);
    });
    app.exec();
    client.join();
    bare.reset();
    twin.reset();
    return exitCode;
}
