#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/CompressorProgress.h"
#include "engine/MatchFinder.h"
#include "engine/ParseJob.h"
#include "engine/ProgressSink.h"
#include "engine/ResultCode.h"

namespace nemora::engine {

// The page compressor on several threads, with the same tokens as on one.
//
// The page is cut into chunks, and a chunk's parse starts at the chunk's
// first byte as a guess, on whichever thread is free (the calling thread
// too). Each parse runs a little way into the next chunk, where the calling
// thread joins the two at the first position both have a token start: from
// there on the guess is the true parse. Where they never meet (periodic
// text, whose copies keep their own phase), the calling thread goes on with
// the true parse itself over the next chunk and throws the guess away: as
// slow as one thread, never wrong; after a few such misses in a row it
// stops guessing and parses the rest alone.
//
// The calling thread alone copies the joined tokens into the page's buffer,
// in order, and only where no parse still in progress can read; it reports
// progress and meets the stop answer at exactly the points the one-thread
// compressor does.
class ParallelCompressor {
public:
    ParallelCompressor(std::uint8_t* data, std::uint32_t length, unsigned threads,
                       std::uint32_t chunk, std::uint32_t span);
    ~ParallelCompressor();

    ParallelCompressor(const ParallelCompressor&) = delete;
    ParallelCompressor& operator=(const ParallelCompressor&) = delete;

    // As PageCompressor::Run.
    Result Run(ProgressSink* sink, std::uint32_t& tokenLength);

private:
    enum class State : std::uint8_t { Waiting, Running, Done };

    void Work();
    unsigned Ahead() const;
    bool TakeJob(std::unique_lock<std::mutex>& lock, MatchFinder& finder);
    void RunJob(ParseJob& job, MatchFinder& finder);
    bool WaitDone(std::uint32_t k);
    void Release(std::uint32_t k);
    bool FindJoin(const ParseJob& truth, std::uint32_t pos, std::uint32_t offset,
                  const ParseJob& guess, std::uint32_t& at, std::uint32_t& truthEnd,
                  std::uint32_t& guessStart) const;
    bool Emit(const ParseJob& job, std::uint32_t pos, std::uint32_t from, std::uint32_t to);
    void Flush(std::uint32_t limit);
    Result CarryAlone(ParseJob*& truth, std::uint32_t& k, std::uint32_t& pos, std::uint32_t& offset,
                      std::uint32_t limit);
    Result Assemble();
    void Stop();

    std::uint8_t* const data_;
    const std::uint32_t length_;
    const unsigned threads_;
    const std::uint32_t chunk_;
    const std::uint32_t span_;

    std::vector<ParseJob> jobs_;
    std::vector<State> states_;
    std::vector<std::unique_ptr<std::uint8_t[]>> spare_;  // buffers of released jobs
    std::uint32_t nextJob_ = 0;                           // the first job not yet started
    std::uint32_t released_ = 0;                          // jobs before this one hold no buffer
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> deep_{false};  // the last parse to end needed the longer keys
    std::vector<std::thread> workers_;

    std::unique_ptr<MatchFinder> finder_;  // the calling thread's
    ParseJob carry_;                       // the true parse where a guess failed

    CompressorProgress progress_;
    std::vector<std::uint8_t> pending_;  // joined tokens not yet in the page's buffer
    std::uint32_t written_ = 0;          // token bytes already there
};

}  // namespace nemora::engine
