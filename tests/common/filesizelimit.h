#pragma once

#include <sys/resource.h>

#include <csignal>

// While it lives, no file the process writes may grow beyond bytes: a write past that fails
// half way, as on a full disk (the signal the limit raises is ignored meanwhile). It limits
// root as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = bytes;
        oldHandler = signal(SIGXFSZ, SIG_IGN);
        applied = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Whether the limit is in force.
    bool applied = false;

private:
    rlimit saved{};
    void (*oldHandler)(int) = nullptr;
};
