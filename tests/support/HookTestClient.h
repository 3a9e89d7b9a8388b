#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A blocking TCP client for the endpoint tests: it connects to 127.0.0.1 only, sends what it is
// given, in pieces when asked, and reads until the server closes the connection.
class HookTestClient {
public:
    explicit HookTestClient(quint16 port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected =
            m_fd >= 0 && ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~HookTestClient() { close(); }
    HookTestClient(const HookTestClient&) = delete;
    HookTestClient& operator=(const HookTestClient&) = delete;

    bool isConnected() const { return m_connected; }

    bool send(const QByteArray& bytes) {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t count =
                ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (count <= 0)
                return false;
            sent += count;
        }
        return true;
    }

    // Sends the pieces with a pause between them, so that each arrives in a packet of its own.
    bool sendInPieces(const QList<QByteArray>& pieces, std::chrono::milliseconds pause) {
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                std::this_thread::sleep_for(pause);
            if (!send(pieces[i]))
                return false;
        }
        return true;
    }

    // Ends the sending side (the server reads end of input).
    void shutdownWrite() { ::shutdown(m_fd, SHUT_WR); }

    // Everything the server sends until it closes, or until `timeout` passes.
    QByteArray readAll(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        QByteArray received;
        QElapsedTimer timer;
        timer.start();
        m_closedByServer = false;
        char buffer[4096];
        while (timer.elapsed() < timeout.count()) {
            pollfd entry{m_fd, POLLIN, 0};
            const int ready = ::poll(&entry, 1, int(timeout.count() - timer.elapsed()));
            if (ready <= 0)
                break;
            const ssize_t count = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (count <= 0) {
                m_closedByServer = true;
                break;
            }
            received.append(buffer, qsizetype(count));
        }
        return received;
    }

    // Whether the last readAll() ended because the server closed the connection.
    bool closedByServer() const { return m_closedByServer; }

    void close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    // One request, one connection: the whole response.
    static QByteArray exchange(quint16 port, const QByteArray& request) {
        HookTestClient client(port);
        if (!client.isConnected() || !client.send(request))
            return QByteArray();
        return client.readAll();
    }

private:
    int m_fd = -1;
    bool m_connected = false;
    bool m_closedByServer = false;
};

// A POST of `body` to `path` with a right Content-Length.
inline QByteArray hookPost(const QByteArray& body, const QByteArray& path = "/event") {
    return "POST " + path +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// The exact bytes of a response with this status line and compact JSON body.
inline QByteArray hookResponse(const QByteArray& statusLine, const QByteArray& body) {
    return statusLine +
           "\r\nContent-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}
