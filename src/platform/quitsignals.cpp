#include "platform/quitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace kz {

namespace {

int signalSocket[2] = {-1, -1};

extern "C" void noteSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    // Only async-signal-safe calls here; a full socket drops the byte, one is enough.
    const ssize_t written = ::write(signalSocket[0], &byte, 1);
    (void)written;
}

void endForSignal(int number) {
    const int status = 128 + number;
    if (QThread::currentThread()->loopLevel() > 1) {
        // Inside a modal box or a wait: leaving it would let the code after it go on
        // (retry, record, show the next box). Nothing is half-written at this point.
        std::fflush(nullptr);
        std::_Exit(status);
    }
    QCoreApplication::exit(status);
}

} // namespace

void installQuitSignalHandlers() {
    if (signalSocket[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSocket) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        unsigned char byte = 0;
        if (::read(signalSocket[1], &byte, 1) == 1)
            endForSignal(byte);
    });
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(number, &action, nullptr);
}

} // namespace kz
