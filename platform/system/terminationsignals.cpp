#include "platform/system/terminationsignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The write end of the self-pipe; only the signal handler and the destructor touch it.
volatile sig_atomic_t writeFd = -1;
int readFd = -1;

void onSignal(int signalNumber) {
    const int fd = writeFd;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // Nothing can be done about a failed write inside a signal handler.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
}

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) {
        return;
    }
    readFd = fds[0];
    writeFd = fds[1];
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
    notifier = new QSocketNotifier(readFd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
}

TerminationSignals::~TerminationSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
    const int fd = writeFd;
    writeFd = -1;
    if (fd >= 0) {
        ::close(fd);
    }
    if (readFd >= 0) {
        ::close(readFd);
        readFd = -1;
    }
}

void TerminationSignals::readSignal() {
    unsigned char byte = 0;
    while (::read(readFd, &byte, 1) == 1) {
        Q_EMIT terminationRequested(int(byte));
    }
}
