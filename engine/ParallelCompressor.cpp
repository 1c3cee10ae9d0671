#include "engine/ParallelCompressor.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

#include "engine/StreamFormat.h"
#include "engine/TokenCodec.h"

namespace nemora::engine {
namespace {

// Joins that failed in a row before the rest of the page is parsed on the
// calling thread alone.
constexpr std::uint32_t kGiveUp = 3;

}  // namespace

ParallelCompressor::ParallelCompressor(std::uint8_t* data, std::uint32_t length, unsigned threads,
                                       std::uint32_t chunk, std::uint32_t span)
    : data_(data),
      length_(length),
      threads_(std::max(1u, threads)),
      chunk_(std::max<std::uint32_t>(1, chunk)),
      span_(span) {}

ParallelCompressor::~ParallelCompressor() {
    Stop();
}

void ParallelCompressor::Stop() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        cancel_.store(true, std::memory_order_relaxed);
    }
    changed_.notify_all();
    for (auto& worker : workers_) {
        if (worker.joinable()) worker.join();
    }
    workers_.clear();
}

Result ParallelCompressor::Run(ProgressSink* sink, std::uint32_t& tokenLength) {
    tokenLength = 0;
    progress_ = CompressorProgress(sink);
    const std::uint32_t count = (length_ - 1) / chunk_ + 1;
    try {
        jobs_.resize(count);
        states_.assign(count, State::Waiting);
        pending_.reserve(std::size_t{chunk_} + span_ + StreamFormat::kWindow +
                         2 * StreamFormat::kLongestCopy);
    } catch (const std::bad_alloc&) {
        return Result::CompressFailed;
    }
    for (std::uint32_t k = 0; k < count; ++k) {
        ParseJob& job = jobs_[k];
        job.start = k * chunk_;
        job.crossing = k + 1 < count ? (k + 1) * chunk_ : length_;
        job.end = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t{job.crossing} + span_, length_));
    }
    finder_.reset(new (std::nothrow) MatchFinder);
    if (!finder_) return Result::CompressFailed;

    // Too few threads is slower, never wrong: a worker that cannot start is
    // simply not there.
    for (unsigned t = 1; t < threads_ && t < count; ++t) {
        try {
            workers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            break;
        }
    }

    const Result result = Assemble();
    Stop();
    if (result != Result::Ok) return result;
    Flush(length_);
    tokenLength = written_;
    return Result::Ok;
}

// How many jobs may hold buffers at once. The calling thread joins and
// releases them only between its own jobs, so with one per thread plus one
// the others sat idle for most of a job; twice as many keep them busy.
unsigned ParallelCompressor::Ahead() const {
    return 2 * threads_ + 1;
}

// A worker takes the next chunk until none is left; each has a finder of its own.
void ParallelCompressor::Work() {
    std::unique_ptr<MatchFinder> finder(new (std::nothrow) MatchFinder);
    if (!finder) return;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] {
            return cancel_.load(std::memory_order_relaxed) || nextJob_ >= jobs_.size() ||
                   nextJob_ < released_ + Ahead();
        });
        if (cancel_.load(std::memory_order_relaxed) || nextJob_ >= jobs_.size()) return;
        TakeJob(lock, *finder);
    }
}

// Runs the next job with the lock let go meanwhile. Jobs start in order, and
// no more than Ahead() hold buffers at once, which bounds the memory.
bool ParallelCompressor::TakeJob(std::unique_lock<std::mutex>& lock, MatchFinder& finder) {
    if (nextJob_ >= jobs_.size() || nextJob_ >= released_ + Ahead()) return false;
    const std::uint32_t k = nextJob_++;
    ParseJob& job = jobs_[k];
    states_[k] = State::Running;
    if (!spare_.empty()) {
        job.tokens = std::move(spare_.back());
        job.capacity = chunk_ + span_ + static_cast<std::uint32_t>(StreamFormat::kLongestCopy);
        spare_.pop_back();
    }
    lock.unlock();
    RunJob(job, finder);
    lock.lock();
    states_[k] = State::Done;
    changed_.notify_all();
    return true;
}

// Which chains a parse keeps changes its speed, never its tokens: a parse
// starts with the longer keys when the last one to end needed them.
void ParallelCompressor::RunJob(ParseJob& job, MatchFinder& finder) {
    job.Run(finder, data_, length_, deep_.load(std::memory_order_relaxed), cancel_);
    deep_.store(finder.Deep(), std::memory_order_relaxed);
}

// Waits for job k, parsing other chunks meanwhile when one may start.
bool ParallelCompressor::WaitDone(std::uint32_t k) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (states_[k] != State::Done) {
        if (!TakeJob(lock, *finder_)) changed_.wait(lock);
    }
    return !jobs_[k].failed;
}

void ParallelCompressor::Release(std::uint32_t k) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ParseJob& job = jobs_[k];
        // Every buffer is made for a whole chunk, so any of them fits any job.
        if (job.tokens && job.capacity >= chunk_ + span_ + StreamFormat::kLongestCopy) {
            try {
                spare_.push_back(std::move(job.tokens));
            } catch (const std::bad_alloc&) {
            }
        }
        job.tokens.reset();
        job.capacity = 0;
        released_ = std::max(released_, k + 1);
    }
    changed_.notify_all();
}

// The first position at or past the guess's start where both parses have a
// token start (the truth's counted from `pos`, at token offset `offset`): `truthEnd` is the truth's
// token offset there, `guessStart` the guess's. The truth's own end counts, since its parse goes on
// from there; the guess's end only where it stopped at a zero byte.
bool ParallelCompressor::FindJoin(const ParseJob& truth, std::uint32_t pos, std::uint32_t offset,
                                  const ParseJob& guess, std::uint32_t& at, std::uint32_t& truthEnd,
                                  std::uint32_t& guessStart) const {
    // The truth's tokens count from where it was joined to the one before it,
    // which may lie past its crossing when the join span is long.
    std::uint32_t i = truth.crossPos, a = truth.crossOffset;
    if (pos > i) {
        i = pos;
        a = offset;
    }
    std::uint32_t j = guess.start, b = 0;
    for (;;) {
        if (i == j) {
            if (j < guess.reached || guess.broken) {
                at = i;
                truthEnd = a;
                guessStart = b;
                return true;
            }
            return false;
        }
        if (i < j) {
            if (i >= truth.reached) return false;
            TokenCodec::Step(truth.tokens.get(), a, i);
        } else {
            if (j >= guess.reached) return false;
            TokenCodec::Step(guess.tokens.get(), b, j);
        }
    }
}

// Appends the job's tokens [from, to) (the first standing at page position
// `pos`) to the output and reports progress after each token, as the
// one-thread compressor does. False when the sink answers stop.
bool ParallelCompressor::Emit(const ParseJob& job, std::uint32_t pos, std::uint32_t from,
                              std::uint32_t to) {
    const std::uint8_t* tokens = job.tokens.get();
    pending_.insert(pending_.end(), tokens + from, tokens + to);
    if (!progress_.Reports()) return true;
    for (std::uint32_t offset = from; offset < to;) {
        TokenCodec::Step(tokens, offset, pos);
        if (!progress_.Reached(pos)) return false;
    }
    return true;
}

// Moves joined tokens into the page's buffer up to `limit`, below which no
// parse still to come reads.
void ParallelCompressor::Flush(std::uint32_t limit) {
    if (limit <= written_ || pending_.empty()) return;
    const std::size_t count = std::min<std::size_t>(pending_.size(), limit - written_);
    std::memcpy(data_ + written_, pending_.data(), count);
    written_ += static_cast<std::uint32_t>(count);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
}

// Emits the truth (from page position `pos`, token `offset`) to its end,
// then parses on from there over chunk k + 1 on this thread: that parse, in
// carry_, becomes the truth of chunk k + 1. Joined tokens below `limit` may
// go into the page's buffer meanwhile. Ok, or the result that ends the run.
Result ParallelCompressor::CarryAlone(ParseJob*& truth, std::uint32_t& k, std::uint32_t& pos,
                                      std::uint32_t& offset, std::uint32_t limit) {
    if (!Emit(*truth, pos, offset, truth->size)) return Result::LoadStopped;
    if (truth->broken) return Result::BrokenText;
    Flush(limit);
    const std::uint32_t from = truth->reached;
    if (truth != &carry_) Release(k);
    const ParseJob& next = jobs_[k + 1];
    carry_.start = from;
    carry_.crossing = next.crossing;
    carry_.end = std::max(next.end, from);
    Release(k + 1);
    RunJob(carry_, *finder_);
    truth = &carry_;
    pos = from;
    offset = 0;
    ++k;
    return Result::Ok;
}

Result ParallelCompressor::Assemble() {
    const std::uint32_t count = static_cast<std::uint32_t>(jobs_.size());
    const std::uint32_t window = static_cast<std::uint32_t>(StreamFormat::kWindow);
    ParseJob* truth = &jobs_[0];
    std::uint32_t k = 0;  // the chunk the truth is in
    std::uint32_t pos = 0, offset = 0;
    std::uint32_t failedJoins = 0;  // in a row
    bool serial = false;
    if (!WaitDone(0)) return Result::CompressFailed;
    try {
        for (;;) {
            if (truth->failed) return Result::CompressFailed;
            const bool last =
                k + 1 >= count || truth->reached >= length_ || truth->crossPos < truth->crossing;
            if (last) {
                if (!Emit(*truth, pos, offset, truth->size)) return Result::LoadStopped;
                return truth->broken ? Result::BrokenText : Result::Ok;
            }
            if (failedJoins >= kGiveUp) {
                // Periodic text: guesses keep missing, so the other threads
                // only take this one's processor. Go on alone.
                if (!serial) {
                    Stop();
                    cancel_.store(false, std::memory_order_relaxed);
                    serial = true;
                }
                const std::uint32_t limit = truth->reached - std::min(truth->reached, window);
                if (Result r = CarryAlone(truth, k, pos, offset, limit); r != Result::Ok) return r;
                continue;
            }
            if (!WaitDone(k + 1)) return Result::CompressFailed;
            ParseJob& guess = jobs_[k + 1];
            // Nothing at or past the guess's window may be overwritten yet:
            // a parse that takes over from the truth reads there too.
            const std::uint32_t limit = guess.start - std::min(guess.start, window);
            std::uint32_t at = 0, truthEnd = 0, guessStart = 0;
            if (FindJoin(*truth, pos, offset, guess, at, truthEnd, guessStart)) {
                if (!Emit(*truth, pos, offset, truthEnd)) return Result::LoadStopped;
                Flush(limit);
                if (truth != &carry_) Release(k);
                if (guess.broken && at == guess.reached) return Result::BrokenText;
                truth = &guess;
                pos = at;
                offset = guessStart;
                ++k;
                failedJoins = 0;
                continue;
            }
            // The guess never met the truth: the truth goes on over the
            // guess's chunk on this thread.
            if (Result r = CarryAlone(truth, k, pos, offset, limit); r != Result::Ok) return r;
            ++failedJoins;
        }
    } catch (const std::bad_alloc&) {
        return Result::CompressFailed;
    }
}

}  // namespace nemora::engine
