#pragma once

#include "platform/LoopbackListener.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// The loopback listener over non-blocking sockets and epoll, woken for stop() by an eventfd.
class LinuxLoopbackListener : public LoopbackListener {
public:
    LinuxLoopbackListener(Options options, Protocol protocol, FailureHandler onFailure = {});
    // Stops the thread and closes every socket.
    ~LinuxLoopbackListener() override;
    LinuxLoopbackListener(const LinuxLoopbackListener&) = delete;
    LinuxLoopbackListener& operator=(const LinuxLoopbackListener&) = delete;

    // Makes LinuxLoopbackListener objects.
    static LoopbackListener::Factory factory();

    bool start(QString* error = nullptr) override;
    void stop() override;
    quint16 boundPort() const override { return m_boundPort.load(); }
    QString boundAddress() const override;
    int openConnections() const override { return m_openConnections.load(); }

private:
    void run();

    Options m_options;
    Protocol m_protocol;
    FailureHandler m_onFailure;
    int m_listenFd = -1;
    int m_wakeFd = -1;
    int m_epollFd = -1;
    std::thread m_thread;
    std::atomic<quint16> m_boundPort{0};
    std::atomic<int> m_openConnections{0};
};
