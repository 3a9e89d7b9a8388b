#pragma once

#include "Brimlark/aihooks/HookHttpRequest.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

// The TCP side of the hook endpoint: one listening socket on 127.0.0.1 and its connections,
// served by one thread of its own ("the listener thread"), so that a busy main thread never
// stalls a tool's hook. Each connection carries one request and one response:
//  - it reads the head up to CR LF CR LF, then as many body bytes as Content-Length says, never
//    more than HookHttpRequest::maxBytes in all, then asks the handler for the response, sends
//    it and closes the connection;
//  - a connection has `deadline` from its acceptance: one that sent nothing is closed silently,
//    one that sent part of a request gets the answer to what it sent;
//  - at most `maxConnections` are open at once; any beyond are closed as soon as accepted;
//  - when the client may still be sending (a request too large, or one cut by the deadline),
//    the response is followed by a lingering close that reads and drops the rest, so that the
//    client reads the answer instead of a reset.
class HookListener {
public:
    struct Options {
        // The port to bind on 127.0.0.1; 0 picks a free one (see boundPort()).
        quint16 port = 43434;
        std::chrono::milliseconds deadline{5000};
        int maxConnections = 32;
    };

    // Runs on the listener thread, one request at a time: the bytes received and how complete
    // they are; returns the complete response.
    using Handler = std::function<QByteArray(const QByteArray& received, HookHttpRequest::Framing framing)>;
    // Runs on the listener thread after each response has gone out and its connection is closed,
    // so that work the client need not wait for (handing events on) stays off its road.
    using AfterResponse = std::function<void()>;
    // Runs on the listener thread when the thread stops on an error of its own; the text says why.
    using FailureHandler = std::function<void(const QString& error)>;

    HookListener(Options options, Handler handler, AfterResponse afterResponse = {},
                 FailureHandler onFailure = {});
    // Stops the thread and closes every socket.
    ~HookListener();
    HookListener(const HookListener&) = delete;
    HookListener& operator=(const HookListener&) = delete;

    // Binds, listens and starts the listener thread. False when the socket could not be made,
    // bound or put to listen; `error` then says why and nothing runs.
    bool start(QString* error = nullptr);
    // Stops the thread and closes the listening socket and every connection. Safe to repeat.
    void stop();

    // The port actually bound (the chosen one when 0 was asked); 0 before a successful start.
    quint16 boundPort() const { return m_boundPort.load(); }
    // The address actually bound, as text ("127.0.0.1"); empty before a successful start.
    QString boundAddress() const;
    // Connections open right now (for tests and the benchmark).
    int openConnections() const { return m_openConnections.load(); }

private:
    void run();

    Options m_options;
    Handler m_handler;
    AfterResponse m_afterResponse;
    FailureHandler m_onFailure;
    int m_listenFd = -1;
    int m_wakeFd = -1;
    int m_epollFd = -1;
    std::thread m_thread;
    std::atomic<quint16> m_boundPort{0};
    std::atomic<int> m_openConnections{0};
};
