#pragma once
// Work on the rows of a long read beside the reading: the thread that reads (and alone touches
// the connection) hands plain items over in batches, one worker thread does the work on each
// item, in the order they were handed over. A report whose reading and working each take about
// half its time then takes about the longer half on a machine with two cores. With one core the
// work is done at once as each item comes.
//
// The work must touch nothing the reading thread touches until finish() returns.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace kl {

template <class Item>
class Handoff {
  public:
    // The work done beside the reading when `beside` (by default with two cores or more), else
    // at once as each item comes; also at once when no thread can be started.
    explicit Handoff(std::function<void(const Item&)> work,
                     bool beside = std::thread::hardware_concurrency() >= 2)
        : work_(std::move(work)) {
        if (!beside) return;
        batch_.reserve(kBatch);
        try {
            worker_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
        }
    }
    // Without finish(), as when the reading failed: what is still queued is dropped.
    ~Handoff() {
        if (!worker_.joinable()) return;
        {
            const std::lock_guard lock(mutex_);
            queue_.clear();
        }
        room_.notify_one();
        stop();
    }
    Handoff(const Handoff&) = delete;
    Handoff& operator=(const Handoff&) = delete;

    // On the reading thread: one item more.
    void push(Item item) {
        if (!worker_.joinable()) {
            if (failure_) return;
            try {
                work_(item);
            } catch (...) {
                failure_ = std::current_exception();
            }
            return;
        }
        batch_.push_back(std::move(item));
        if (batch_.size() == kBatch) handOver();
    }

    // On the reading thread: waits until every item handed over has been worked on. Throws what
    // the work threw.
    void finish() {
        if (worker_.joinable()) {
            if (!batch_.empty()) handOver();
            stop();
        }
        if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    }

  private:
    static constexpr size_t kBatch = 4096;
    static constexpr size_t kQueued = 16;  // batches waiting at most: the memory stays bounded

    void handOver() {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return queue_.size() < kQueued; });
        queue_.push_back(std::move(batch_));
        batch_ = {};
        // A batch worked on is used again: its memory is already the process's.
        if (!spare_.empty()) {
            batch_ = std::move(spare_.back());
            spare_.pop_back();
        }
        lock.unlock();
        ready_.notify_one();
        batch_.reserve(kBatch);
    }

    // Ends the worker once the batches handed over are done (at once when none are left).
    void stop() {
        if (!worker_.joinable()) return;
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        ready_.notify_one();
        worker_.join();
    }

    void run() {
        bool failed = false;
        for (;;) {
            std::vector<Item> batch;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [this] { return !queue_.empty() || done_; });
                if (queue_.empty()) return;
                batch = std::move(queue_.front());
                queue_.pop_front();
            }
            room_.notify_one();
            if (!failed) {  // after a failure the rest is taken off the queue, not worked on
                try {
                    for (const Item& item : batch)
                        work_(item);
                } catch (...) {
                    failed = true;
                    failure_ = std::current_exception();
                }
            }
            batch.clear();
            const std::lock_guard lock(mutex_);
            spare_.push_back(std::move(batch));
        }
    }

    // The worker's, the reading thread's and the shared members on cache lines of their own: the
    // batch being filled changes with every item.
    alignas(64) std::function<void(const Item&)> work_;
    alignas(64) std::vector<Item> batch_;
    alignas(64) std::thread worker_;
    std::mutex mutex_;
    std::condition_variable ready_, room_;
    std::deque<std::vector<Item>> queue_;
    std::vector<std::vector<Item>> spare_;
    bool done_ = false;
    std::exception_ptr failure_;  // written by the worker, read after it is joined
};

}  // namespace kl
