#pragma once
// Work done off the interface thread while the window goes on.
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace pz {

class OffThread {
public:
    // Runs work on a thread of its own and returns its result, running the
    // window's events meanwhile, so that it paints, moves and resizes.
    // Nothing when cancelled: Cancel returns at once, and the work, told
    // through the flag it is handed, is left to end on its own; what it
    // makes then is dropped. Also nothing when the application quits.
    template <class T>
    std::optional<T> Run(std::function<T(const std::atomic<bool>& cancel)> work);
    void Cancel();
    bool Running() const { return loop_ != nullptr; }
    // How many pieces of work, under way or abandoned, have not ended yet in
    // the whole program: the program does not tear its libraries down under
    // them.
    static int StillRunning() { return running_.load(); }

private:
    QEventLoop* loop_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_;
    static inline std::atomic<int> running_{0};
};

template <class T>
std::optional<T> OffThread::Run(std::function<T(const std::atomic<bool>& cancel)> work) {
    struct Outcome {
        std::mutex lock;
        std::optional<T> value;
    };
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    auto outcome = std::make_shared<Outcome>();
    QEventLoop loop;
    // Told on the interface thread, where the loop may be gone by then.
    QPointer<QEventLoop> waiting(&loop);
    ++running_;
    std::thread([cancel, outcome, work = std::move(work), waiting] {
        T value = work(*cancel);
        {
            std::lock_guard<std::mutex> hold(outcome->lock);
            outcome->value = std::move(value);
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [waiting] { if (waiting) waiting->quit(); }, Qt::QueuedConnection);
        --running_;
    }).detach();
    loop_ = &loop;
    cancel_ = cancel;
    loop.exec();
    loop_ = nullptr;
    cancel_.reset();
    std::lock_guard<std::mutex> hold(outcome->lock);
    if (*cancel || !outcome->value) {
        *cancel = true;   // the application quit: the work may stop early
        return std::nullopt;
    }
    return std::move(outcome->value);
}

inline void OffThread::Cancel() {
    if (cancel_) *cancel_ = true;
    if (loop_) loop_->quit();
}

}  // namespace pz
