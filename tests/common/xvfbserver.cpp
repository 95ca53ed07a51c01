#include "tests/common/xvfbserver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QStandardPaths>
#include <cstdlib>
#include <string>

namespace {

// How long the server may take to say which display it took.
constexpr int kStartTimeoutMs = 20000;

}  // namespace

XvfbServer::~XvfbServer() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

bool XvfbServer::start() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        reason = QStringLiteral("Xvfb is not installed (Debian package xvfb)");
        return false;
    }
    int channel[2];
    if (pipe(channel) != 0) {
        reason = QStringLiteral("no pipe for Xvfb's display number");
        return false;
    }
    const QByteArray path = program.toLocal8Bit();
    const std::string fd = std::to_string(channel[1]);
    pid = fork();
    if (pid == 0) {
        // The server goes when the test process goes, however it ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(channel[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execl(path.constData(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24",
              "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    if (pid < 0) {
        close(channel[0]);
        reason = QStringLiteral("Xvfb could not be started");
        return false;
    }
    // The server writes its display number and a line end once it takes connections.
    std::string number;
    pollfd wait{channel[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, kStartTimeoutMs) == 1 && read(channel[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(channel[0]);
    if (c != '\n' || number.empty()) {
        reason = QStringLiteral("Xvfb did not start");
        return false;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}
