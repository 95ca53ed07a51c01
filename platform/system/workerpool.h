#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A few threads that run queued jobs in order of arrival. Plain standard threads, so the
// hand-over of every job is visible to the thread sanitizer. Threads start with the first
// jobs; the destructor drops the jobs still queued and waits for those running.
class WorkerPool {
public:
    explicit WorkerPool(int size);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void start(std::function<void()> job);
    // Drops queued jobs and waits at most waitMs (-1: for ever) for the running ones;
    // false when some still run then (the destructor waits for them). Later jobs are
    // dropped.
    bool stop(int waitMs);

private:
    void run();

    const int threadCount;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> jobs;
    std::vector<std::thread> threads;
    int running = 0;
    bool stopping = false;
};
