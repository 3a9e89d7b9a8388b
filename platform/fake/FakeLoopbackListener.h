#pragma once

#include "platform/LoopbackListener.h"

#include <QByteArray>
#include <QString>

// A listener without a socket: a test hands it a request's bytes and gets the response back on
// its own thread, through the user's Protocol as the real listener calls it (framing, the
// interim response, the response, then afterResponse).
class FakeLoopbackListener final : public LoopbackListener {
public:
    FakeLoopbackListener(Options options, Protocol protocol, FailureHandler onFailure = {});

    // Makes fakes and points `*latest` at the newest one; `latest` must outlive the factory.
    static LoopbackListener::Factory factory(FakeLoopbackListener** latest);

    bool start(QString* error = nullptr) override;
    void stop() override;
    quint16 boundPort() const override { return m_running ? m_options.port : 0; }
    QString boundAddress() const override;
    int openConnections() const override { return 0; }

    // One connection that sends `request` whole and reads until the close: the interim response
    // the bytes ask for (when they are incomplete), then the response. Empty when not running.
    QByteArray exchange(const QByteArray& request);
    // When set, start() fails with this text.
    QString startError;

private:
    Options m_options;
    Protocol m_protocol;
    FailureHandler m_onFailure;
    bool m_running = false;
};
