#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <utility>

namespace nemora::publish {

// Items on their way from one thread to others, in order. At most
// `capacity` wait, so that the side that pushes never runs far ahead of the
// side that pops; without a capacity it may run ahead as far as it likes.
template <typename Item>
class TaskQueue {
public:
    explicit TaskQueue(std::size_t capacity = std::numeric_limits<std::size_t>::max())
        : capacity_(capacity) {}

    void Push(Item item) {
        std::unique_lock lock(mutex_);
        roomy_.wait(lock, [&] { return items_.size() < capacity_; });
        items_.push_back(std::move(item));
        ready_.notify_one();
    }

    // Nothing once the queue is closed and empty.
    std::optional<Item> Pop() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return !items_.empty() || closed_; });
        if (items_.empty()) return std::nullopt;
        Item item = std::move(items_.front());
        items_.pop_front();
        roomy_.notify_one();
        return item;
    }

    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        ready_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable roomy_;
    std::deque<Item> items_;
    std::size_t capacity_;
    bool closed_ = false;
};

}  // namespace nemora::publish
