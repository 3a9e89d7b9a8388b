#include "platform/linux/kernel/LinuxQuitSignals.h"

#include "platform/PlatformLog.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};
// The pipe's ends; the handler reads only these.
int pipeEnds[2] = {-1, -1};

void onSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

} // namespace

LinuxQuitSignals::LinuxQuitSignals(QObject* parent) : QObject(parent) {
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        qCWarning(lcPlatform, "quit signals not handled: %s",
                  pipeEnds[0] >= 0 ? "already handled" : std::strerror(errno));
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LinuxQuitSignals::drain);
    struct sigaction action {};
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_installed = true;
    for (const int signalNumber : quitSignals)
        if (::sigaction(signalNumber, &action, nullptr) != 0)
            m_installed = false;
}

LinuxQuitSignals::~LinuxQuitSignals() {
    if (!m_notifier)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : quitSignals)
        ::sigaction(signalNumber, &action, nullptr);
    delete m_notifier;
    for (int& end : pipeEnds) {
        ::close(end);
        end = -1;
    }
}

void LinuxQuitSignals::drain() {
    unsigned char bytes[16];
    for (;;) {
        const ssize_t count = ::read(pipeEnds[0], bytes, sizeof bytes);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        for (ssize_t i = 0; i < count; ++i)
            emit received(int(bytes[i]));
    }
}
