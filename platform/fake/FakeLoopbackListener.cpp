#include "platform/fake/FakeLoopbackListener.h"

#include <memory>

FakeLoopbackListener::FakeLoopbackListener(Options options, Protocol protocol, FailureHandler onFailure)
    : m_options(options), m_protocol(std::move(protocol)), m_onFailure(std::move(onFailure)) {}

LoopbackListener::Factory FakeLoopbackListener::factory(FakeLoopbackListener** latest) {
    return [latest](const Options& options, Protocol protocol, FailureHandler onFailure) {
        auto listener =
            std::make_unique<FakeLoopbackListener>(options, std::move(protocol), std::move(onFailure));
        *latest = listener.get();
        return listener;
    };
}

bool FakeLoopbackListener::start(QString* error) {
    if (!startError.isEmpty()) {
        if (error)
            *error = startError;
        return false;
    }
    m_running = true;
    return true;
}

void FakeLoopbackListener::stop() {
    m_running = false;
}

QString FakeLoopbackListener::boundAddress() const {
    return m_running ? QStringLiteral("127.0.0.1") : QString();
}

QByteArray FakeLoopbackListener::exchange(const QByteArray& request) {
    if (!m_running)
        return QByteArray();
    // The real listener reads no further than this either.
    const QByteArray received = request.left(m_protocol.maxRequestBytes);
    const RequestFraming framing = m_protocol.assess(received);
    QByteArray response;
    if (framing == RequestFraming::incomplete && m_protocol.interimResponse)
        response = m_protocol.interimResponse(received);
    response += m_protocol.respond(received, framing);
    if (m_protocol.afterResponse)
        m_protocol.afterResponse();
    return response;
}
