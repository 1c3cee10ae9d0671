#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace nemora::publish {

// Bounds the bytes that the workers of a run hold at once: a worker takes
// its file's share before reading it whole and gives it back when done,
// waiting while the others hold too much. A file larger than the whole
// budget is let in alone, so every file gets its turn.
class ByteBudget {
public:
    explicit ByteBudget(std::uint64_t limit) : limit_(limit) {}

    void Take(std::uint64_t bytes) {
        std::unique_lock lock(mutex_);
        freed_.wait(lock, [&] { return held_ == 0 || held_ + bytes <= limit_; });
        held_ += bytes;
    }

    void Give(std::uint64_t bytes) {
        {
            std::lock_guard lock(mutex_);
            held_ -= bytes;
        }
        freed_.notify_all();
    }

private:
    const std::uint64_t limit_;
    std::uint64_t held_ = 0;
    std::mutex mutex_;
    std::condition_variable freed_;
};

}  // namespace nemora::publish
