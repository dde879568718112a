#pragma once
// A second thread for composing large frames, started once and kept as long
// as its owner (the play area), instead of a new thread for every frame.
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace pz {

class BandWorker {
public:
    BandWorker() = default;
    BandWorker(const BandWorker&) = delete;
    BandWorker& operator=(const BandWorker&) = delete;
    ~BandWorker();

    // Runs job on the worker thread. False when no thread could be started;
    // the caller then does the job itself.
    bool Start(std::function<void()> job);
    // Waits for the job started last; rethrows what it threw.
    void Wait();

private:
    void Loop();

    std::thread thread_;
    std::mutex mu_;
    std::condition_variable cv_;
    std::function<void()> job_;
    std::exception_ptr error_;
    bool busy_ = false, stop_ = false, failed_ = false;
};

}  // namespace pz
