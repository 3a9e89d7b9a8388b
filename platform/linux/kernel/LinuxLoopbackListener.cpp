#include "platform/linux/kernel/LinuxLoopbackListener.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <list>
#include <memory>
#include <netinet/in.h>
#include <pthread.h>
#include <set>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

// After its response, a lingering connection drops at most this much of what the client still
// sends before it is closed anyway.
constexpr qint64 maxDrainBytes = 1 << 20;
// The most connections accepted per wake-up; the rest wait for the next turn of the loop, after
// the connections already open have been read.
constexpr int acceptBatch = 16;
// Closed connections kept for reuse, at most.
constexpr size_t maxSpareConnections = 64;

QString errnoText(const char* what, int error) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(error)));
}

// The open connections' deadlines, soonest first; the descriptor breaks ties.
using Deadlines = std::set<std::pair<SteadyClock::time_point, int>>;

struct Connection {
    enum class Phase { reading, writing, draining };
    int fd = -1;
    Phase phase = Phase::reading;
    SteadyClock::time_point accepted;
    // Its deadline, as entered among the deadlines of all.
    Deadlines::iterator deadline;
    // Its place among the open connections, oldest first.
    std::list<int>::iterator age;
    QByteArray received;
    QByteArray response;
    qsizetype written = 0;
    bool lingering = false;
    qint64 drained = 0;
    bool toldToContinue = false;
    // Whether the poll set holds it: a connection is added only once it has to wait for its
    // client, so one whose request came whole with it never is.
    bool watched = false;
    // Whether the last read filled all the room it was given, so that more may be waiting.
    bool readFull = false;
};

// The state of the listener thread: the poll set, the connections and what each one is doing.
class Loop {
public:
    Loop(int epollFd, int listenFd, const LoopbackListener::Options& options,
         const LoopbackListener::Protocol& protocol, std::atomic<int>& openConnections)
        : m_epollFd(epollFd), m_listenFd(listenFd), m_options(options), m_protocol(protocol),
          m_openConnections(openConnections) {
        m_reserveFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    }

    ~Loop() {
        for (const int fd : m_byAge)
            ::close(fd);
        m_openConnections.store(0);
        if (m_reserveFd >= 0)
            ::close(m_reserveFd);
    }

    // Runs until `wakeFd` is signalled (an empty result) or polling fails (the error).
    QString run(int wakeFd) {
        epoll_event events[64];
        for (;;) {
            const int count = epoll_wait(m_epollFd, events, 64, pollTimeout());
            if (count < 0) {
                if (errno == EINTR)
                    continue;
                return errnoText("poll failed", errno);
            }
            for (int i = 0; i < count; ++i) {
                const int fd = events[i].data.fd;
                if (fd == wakeFd)
                    return QString();
                if (fd == m_listenFd)
                    acceptSome();
                else
                    onEvent(fd, events[i].events);
            }
            expireDeadlines();
        }
    }

private:
    int pollTimeout() const {
        if (m_deadlines.empty())
            return -1;
        const auto earliest = m_deadlines.begin()->first;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(earliest - SteadyClock::now()).count();
        return int(std::clamp<long long>(left, 0, 60'000));
    }

    // The open connection on `fd`, or null.
    Connection* find(int fd) const {
        return fd >= 0 && size_t(fd) < m_byFd.size() ? m_byFd[size_t(fd)].get() : nullptr;
    }

    void setDeadline(Connection& connection, SteadyClock::time_point deadline) {
        if (connection.deadline != m_deadlines.end())
            m_deadlines.erase(connection.deadline);
        connection.deadline = m_deadlines.emplace(deadline, connection.fd).first;
    }

    void acceptSome() {
        for (int accepted = 0; accepted < acceptBatch; ++accepted) {
            const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED)
                    continue;
                if ((errno == EMFILE || errno == ENFILE) && m_reserveFd >= 0) {
                    // Out of descriptors: take the waiting connection with the spare one and
                    // close it, so that it does not keep the listening socket readable forever.
                    ::close(m_reserveFd);
                    const int refused = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
                    if (refused >= 0)
                        ::close(refused);
                    m_reserveFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
                    continue;
                }
                return;
            }
            if (int(m_byAge.size()) >= m_options.maxConnections)
                evictOldest();
            // Closed connections are kept for the next ones, so that a stream of connections
            // allocates nothing once it has run a while.
            std::unique_ptr<Connection> connection;
            if (m_spare.empty()) {
                connection = std::make_unique<Connection>();
            } else {
                connection = std::move(m_spare.back());
                m_spare.pop_back();
            }
            Connection& added = *connection;
            added.fd = fd;
            added.accepted = SteadyClock::now();
            added.deadline = m_deadlines.end();
            setDeadline(added, added.accepted + std::min(m_options.firstByteDeadline, m_options.deadline));
            added.age = m_byAge.insert(m_byAge.end(), fd);
            if (size_t(fd) >= m_byFd.size())
                m_byFd.resize(size_t(fd) + 1);
            m_byFd[size_t(fd)] = std::move(connection);
            m_openConnections.store(int(m_byAge.size()));
            // The request has often arrived with the connection: it is read at once. Once a new
            // connection has brought something, the turn accepts no more, so that it stays short
            // for the connections already open, and clients that reconnect at once cannot fill
            // every turn with their own requests. Connections that bring nothing cost little and
            // are accepted a batch at a time.
            if (onReadable(added))
                return;
        }
    }

    // Makes room for a new connection: the one that has waited longest without completing a
    // request goes, answered when it sent part of one, so that idle clients cannot keep out
    // the ones with something to say.
    void evictOldest() {
        if (m_byAge.empty())
            return;
        const int fd = m_byAge.front();
        Connection* oldest = find(fd);
        if (!oldest) {
            m_byAge.pop_front();
            return;
        }
        if (oldest->phase == Connection::Phase::reading && !oldest->received.isEmpty())
            respond(*oldest, RequestFraming::abandoned, false);
        // Answered or not, it goes now.
        if (Connection* still = find(fd))
            close(*still);
    }

    void onEvent(int fd, uint32_t events) {
        Connection* found = find(fd);
        if (!found)
            return;
        Connection& connection = *found;
        switch (connection.phase) {
        case Connection::Phase::reading:
            onReadable(connection);
            break;
        case Connection::Phase::writing:
            if (events & (EPOLLERR | EPOLLHUP))
                close(connection);
            else
                writeResponse(connection);
            break;
        case Connection::Phase::draining:
            drain(connection);
            break;
        }
    }

    // Reads what the client sent and answers once the request is whole. Whether it read anything.
    bool onReadable(Connection& connection) {
        char buffer[16384];
        const bool hadBytes = !connection.received.isEmpty();
        bool readSome = false;
        bool endOfInput = false;
        for (;;) {
            const qsizetype space = m_protocol.maxRequestBytes - connection.received.size();
            if (space <= 0)
                break;
            const ssize_t count =
                ::recv(connection.fd, buffer, size_t(std::min<qsizetype>(space, sizeof buffer)), 0);
            if (count > 0) {
                readSome = true;
                connection.received.append(buffer, qsizetype(count));
                connection.readFull = count == std::min<qsizetype>(space, sizeof buffer);
                // Most requests come whole in one packet: no need to ask for more.
                if (m_protocol.assess(connection.received) != RequestFraming::incomplete)
                    break;
                continue;
            }
            if (count == 0) {
                endOfInput = true;
                break;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            close(connection);
            return readSome;
        }

        // A request has begun: it has the whole deadline from the acceptance.
        if (!hadBytes && !connection.received.isEmpty())
            setDeadline(connection, connection.accepted + m_options.deadline);
        const RequestFraming framing = m_protocol.assess(connection.received);
        if (framing == RequestFraming::incomplete) {
            if (!endOfInput) {
                if (watch(connection, EPOLLIN | EPOLLRDHUP))
                    tellToContinue(connection);
                return readSome;
            }
            if (connection.received.isEmpty()) {
                close(connection);
                return readSome;
            }
        }
        // The client may still be sending when the request was refused before its end, or when it
        // sent more than the request (a second one along): those bytes are read and dropped.
        const bool mayStillSend = !endOfInput && (framing != RequestFraming::complete ||
                                                  connection.received.size() >= m_protocol.maxRequestBytes ||
                                                  sentBeyond(connection));
        respond(connection, framing, mayStillSend);
        return readSome;
    }

    // Whether the client sent bytes after its complete request, or has more waiting unread.
    bool sentBeyond(const Connection& connection) const {
        if (m_protocol.requestLength &&
            m_protocol.requestLength(connection.received) < connection.received.size())
            return true;
        // A read that did not fill its room took all there was.
        if (!connection.readFull)
            return false;
        char byte = 0;
        return ::recv(connection.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
    }

    // A client that waits to be told before sending its body (curl does so for larger bodies) gets
    // the interim answer once its head is in, instead of waiting out its own delay.
    void tellToContinue(Connection& connection) {
        if (connection.toldToContinue || !m_protocol.interimResponse)
            return;
        const QByteArray interim = m_protocol.interimResponse(connection.received);
        if (interim.isEmpty())
            return;
        connection.toldToContinue = true;
        // These few bytes always fit in a new connection's empty send buffer.
        [[maybe_unused]] const ssize_t sent =
            ::send(connection.fd, interim.constData(), size_t(interim.size()), MSG_NOSIGNAL);
    }

    void respond(Connection& connection, RequestFraming framing, bool lingering) {
        connection.response = m_protocol.respond(connection.received, framing);
        connection.received = QByteArray();
        connection.phase = Connection::Phase::writing;
        connection.lingering = lingering;
        writeResponse(connection);
        // The connection may be gone by now. Responses are small: they are nearly always sent
        // and closed above, before the events move on.
        if (m_protocol.afterResponse)
            m_protocol.afterResponse();
    }

    void writeResponse(Connection& connection) {
        while (connection.written < connection.response.size()) {
            const ssize_t count =
                ::send(connection.fd, connection.response.constData() + connection.written,
                       size_t(connection.response.size() - connection.written), MSG_NOSIGNAL);
            if (count >= 0) {
                connection.written += count;
                continue;
            }
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                watch(connection, EPOLLOUT);
                return;
            }
            close(connection);
            return;
        }
        if (!connection.lingering) {
            close(connection);
        } else {
            ::shutdown(connection.fd, SHUT_WR);
            connection.phase = Connection::Phase::draining;
            if (watch(connection, EPOLLIN | EPOLLRDHUP))
                drain(connection);
        }
    }

    void drain(Connection& connection) {
        char buffer[16384];
        for (;;) {
            const ssize_t count = ::recv(connection.fd, buffer, sizeof buffer, 0);
            if (count > 0) {
                connection.drained += count;
                if (connection.drained > maxDrainBytes)
                    break;
                continue;
            }
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            break;
        }
        close(connection);
    }

    void expireDeadlines() {
        const auto now = SteadyClock::now();
        while (!m_deadlines.empty() && m_deadlines.begin()->first <= now) {
            const int fd = m_deadlines.begin()->second;
            Connection* due = find(fd);
            if (!due) {
                m_deadlines.erase(m_deadlines.begin());
                continue;
            }
            if (due->phase == Connection::Phase::reading && !due->received.isEmpty())
                respond(*due, m_protocol.assess(due->received), true);
            // Answered or not, its time is up.
            if (Connection* still = find(fd))
                close(*still);
        }
    }

    // Polls the connection for `events`; when it cannot be polled it is closed (false).
    bool watch(Connection& connection, uint32_t events) {
        epoll_event event{};
        event.events = events;
        event.data.fd = connection.fd;
        if (epoll_ctl(m_epollFd, connection.watched ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, connection.fd, &event) <
            0) {
            close(connection);
            return false;
        }
        connection.watched = true;
        return true;
    }

    void close(Connection& connection) {
        const int fd = connection.fd;
        m_byAge.erase(connection.age);
        m_deadlines.erase(connection.deadline);
        ::close(fd);
        std::unique_ptr<Connection> closed = std::move(m_byFd[size_t(fd)]);
        m_openConnections.store(int(m_byAge.size()));
        // Kept for a later connection, empty, unless many are kept already.
        if (m_spare.size() < maxSpareConnections) {
            closed->phase = Connection::Phase::reading;
            closed->received.clear();
            closed->response = QByteArray();
            closed->written = 0;
            closed->lingering = false;
            closed->drained = 0;
            closed->toldToContinue = false;
            closed->watched = false;
            closed->readFull = false;
            m_spare.push_back(std::move(closed));
        }
    }

    int m_epollFd;
    int m_listenFd;
    const LoopbackListener::Options& m_options;
    const LoopbackListener::Protocol& m_protocol;
    std::atomic<int>& m_openConnections;
    int m_reserveFd = -1;
    // The open connections by descriptor (descriptors are small and reused, so this stays short).
    std::vector<std::unique_ptr<Connection>> m_byFd;
    // The open connections' descriptors, in the order they were accepted.
    std::list<int> m_byAge;
    Deadlines m_deadlines;
    std::vector<std::unique_ptr<Connection>> m_spare;
};

} // namespace

LinuxLoopbackListener::LinuxLoopbackListener(Options options, Protocol protocol, FailureHandler onFailure)
    : m_options(options), m_protocol(std::move(protocol)), m_onFailure(std::move(onFailure)) {}

LinuxLoopbackListener::~LinuxLoopbackListener() {
    stop();
}

LoopbackListener::Factory LinuxLoopbackListener::factory() {
    return [](const Options& options, Protocol protocol, FailureHandler onFailure) {
        return std::make_unique<LinuxLoopbackListener>(options, std::move(protocol), std::move(onFailure));
    };
}

bool LinuxLoopbackListener::start(QString* error) {
    if (m_thread.joinable() || m_listenFd >= 0)
        return true;
    const auto fail = [&](const char* what) {
        const int code = errno;
        if (error)
            *error = errnoText(what, code);
        for (int* fd : {&m_listenFd, &m_wakeFd, &m_epollFd}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
        return false;
    };

    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        return fail("socket failed");
    const int on = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_options.port);
    // Loopback only: anything that reaches this socket may plant a command behind "allow".
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(m_listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0)
        return fail("bind failed");
    if (::listen(m_listenFd, SOMAXCONN) < 0)
        return fail("listen failed");
    socklen_t length = sizeof address;
    if (::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) < 0)
        return fail("getsockname failed");

    m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wakeFd < 0)
        return fail("eventfd failed");
    m_epollFd = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_epollFd < 0)
        return fail("epoll failed");
    for (const int fd : {m_listenFd, m_wakeFd}) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        if (epoll_ctl(m_epollFd, EPOLL_CTL_ADD, fd, &event) < 0)
            return fail("epoll failed");
    }

    m_boundPort.store(ntohs(address.sin_port));
    m_thread = std::thread([this] { run(); });
    return true;
}

void LinuxLoopbackListener::run() {
    pthread_setname_np(pthread_self(), "brimlark-hooks");
    QString error;
    {
        Loop loop(m_epollFd, m_listenFd, m_options, m_protocol, m_openConnections);
        error = loop.run(m_wakeFd);
    }
    if (!error.isEmpty() && m_onFailure)
        m_onFailure(error);
}

void LinuxLoopbackListener::stop() {
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
        m_thread.join();
    }
    for (int* fd : {&m_listenFd, &m_wakeFd, &m_epollFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    m_boundPort.store(0);
    m_openConnections.store(0);
}

QString LinuxLoopbackListener::boundAddress() const {
    if (m_listenFd < 0)
        return QString();
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) < 0)
        return QString();
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return QString::fromLatin1(text);
}
