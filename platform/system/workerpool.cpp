#include "platform/system/workerpool.h"

#include <chrono>

WorkerPool::WorkerPool(int size) : threadCount(size < 1 ? 1 : size) {}

WorkerPool::~WorkerPool() {
    stop(-1);
}

void WorkerPool::start(std::function<void()> job) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (stopping) {
            return;
        }
        jobs.push_back(std::move(job));
        if (int(threads.size()) < threadCount) {
            threads.emplace_back([this] { run(); });
        }
    }
    wake.notify_one();
}

bool WorkerPool::stop(int waitMs) {
    std::unique_lock<std::mutex> lock(mutex);
    stopping = true;
    jobs.clear();
    wake.notify_all();
    const auto finished = [this] { return running == 0; };
    bool done = true;
    if (waitMs < 0) {
        idle.wait(lock, finished);
    } else {
        done = idle.wait_for(lock, std::chrono::milliseconds(waitMs), finished);
    }
    if (!done) {
        return false;  // the destructor waits for the rest
    }
    std::vector<std::thread> ending;
    ending.swap(threads);
    lock.unlock();
    for (std::thread& thread : ending) {
        thread.join();
    }
    return true;
}

void WorkerPool::run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (true) {
        wake.wait(lock, [this] { return stopping || !jobs.empty(); });
        if (stopping) {
            return;
        }
        std::function<void()> job = std::move(jobs.front());
        jobs.pop_front();
        ++running;
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
        --running;
        if (running == 0) {
            idle.notify_all();
        }
    }
}
