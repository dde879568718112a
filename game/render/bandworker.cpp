#include "game/render/bandworker.h"

#include <system_error>
#include <utility>

namespace pz {

BandWorker::~BandWorker() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mu_);
        stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

bool BandWorker::Start(std::function<void()> job) {
    if (failed_) return false;
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { Loop(); });
        } catch (const std::system_error&) {
            failed_ = true;   // out of threads: everything on the caller's
            return false;
        }
    }
    {
        std::lock_guard lock(mu_);
        job_ = std::move(job);
        error_ = nullptr;
        busy_ = true;
    }
    cv_.notify_all();
    return true;
}

void BandWorker::Wait() {
    std::unique_lock lock(mu_);
    cv_.wait(lock, [this] { return !busy_; });
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void BandWorker::Loop() {
    std::unique_lock lock(mu_);
    for (;;) {
        cv_.wait(lock, [this] { return busy_ || stop_; });
        if (stop_) return;
        std::function<void()> job = std::move(job_);
        lock.unlock();
        std::exception_ptr error;
        try {
            job();
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        error_ = error;
        busy_ = false;
        cv_.notify_all();
    }
}

}  // namespace pz
