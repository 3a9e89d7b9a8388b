#pragma once

#include "platform/RequestFraming.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

// A local endpoint: one listening socket on 127.0.0.1 and its connections, served by one thread
// of its own ("the listener thread"), so that a busy main thread never stalls a client. It knows
// no protocol: its user says how requests are framed and answered (Protocol). Each connection
// carries one request and one response:
//  - it reads until Protocol::assess says the bytes are no longer incomplete, never more than
//    Protocol::maxRequestBytes in all, then asks Protocol::respond for the response, sends it and
//    closes the connection;
//  - while a request is incomplete, Protocol::interimResponse may give bytes to send at once, at
//    most once per connection (a client that waits to be told before sending its body);
//  - a connection that has sent nothing is closed silently `firstByteDeadline` after its
//    acceptance (or at `deadline`, when that is sooner); one that has begun a request has
//    `deadline` from its acceptance for all of it, then gets the answer to what it sent;
//  - at most `maxConnections` are open at once; a new connection beyond them closes the one that
//    has waited longest without completing a request (which is answered as abandoned when it
//    sent part of one), so that idle connections never keep a new one out;
//  - accepting is bounded per wake-up, so that connections already open are read and their
//    deadlines kept while many more wait to be accepted;
//  - when the client may still be sending (a request too large, or one cut by the deadline),
//    the response is followed by a lingering close that reads and drops the rest, so that the
//    client reads the answer instead of a reset.
class LoopbackListener {
public:
    struct Options {
        // The port to bind on 127.0.0.1; 0 picks a free one (see boundPort()).
        quint16 port = 0;
        std::chrono::milliseconds deadline{5000};
        std::chrono::milliseconds firstByteDeadline{1000};
        int maxConnections = 512;
    };

    // What the user says about its requests. Every function runs on the listener thread, one
    // request at a time.
    struct Protocol {
        // The most bytes one request may take; the listener reads no further.
        qsizetype maxRequestBytes = 65536;
        // How complete the bytes received so far are.
        std::function<RequestFraming(QByteArrayView received)> assess;
        // How many of the received bytes a complete request takes; bytes after it are not read as
        // part of it, and the connection is closed lingering after the answer. May be unset (all).
        std::function<qsizetype(QByteArrayView received)> requestLength;
        // Bytes to send while the request is still incomplete; empty for none. May be unset.
        std::function<QByteArray(QByteArrayView received)> interimResponse;
        // The complete response for the bytes received and how complete they are.
        std::function<QByteArray(const QByteArray& received, RequestFraming framing)> respond;
        // Runs after each response has gone out and its connection is closed, so that work the
        // client need not wait for stays off its road. May be unset.
        std::function<void()> afterResponse;
    };

    // Runs on the listener thread when the thread stops on an error of its own; the text says why.
    using FailureHandler = std::function<void(const QString& error)>;
    // Makes a listener that has not started yet.
    using Factory = std::function<std::unique_ptr<LoopbackListener>(const Options& options, Protocol protocol,
                                                                    FailureHandler onFailure)>;

    virtual ~LoopbackListener() = default;

    // Binds, listens and starts the listener thread. Returns false when the socket could not be
    // made, bound or put to listen; `error` then says why and nothing runs. True when running.
    virtual bool start(QString* error = nullptr) = 0;
    // Stops the thread and closes the listening socket and every connection. Safe to repeat.
    virtual void stop() = 0;

    // Returns the port actually bound (the chosen one when 0 was asked); 0 before a successful
    // start and after stop().
    virtual quint16 boundPort() const = 0;
    // Returns the address actually bound, as text ("127.0.0.1"); empty when not bound.
    virtual QString boundAddress() const = 0;
    // Returns the connections open right now (for tests and the benchmark); never fails.
    virtual int openConnections() const = 0;
};
