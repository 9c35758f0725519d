#pragma once
#include "ChunkedInstallReport.h"
#include "GameFiles.h"
#include "InstallPlan.h"
#include "Manifest.h"
#include "Platform.h"
#include "RateMeter.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class InstallJournal;

// Fetches the chunks an install still needs over several connections at
// once, each a WinINet request on a thread of its own, and puts each in
// place: decoded and verified before any of its bytes is written, written at
// every place the manifest uses it, then recorded in the journal. A chunk
// that fails its transfer or its verification is fetched again, at most
// kMaxFetches times in all; then the whole download stops with the reason.
class ChunkDownload {
public:
    static constexpr int kMaxFetches = 4;
    // Before a fetch that follows a failed transfer, this long times the
    // fetches so far.
    static constexpr DWORD kRetryPauseMs = 200;

    struct Settings {
        std::wstring pointerUrl;  // chunks lie beside latest.json
        unsigned connections = 1;
        int receiveTimeoutMs = 0;
        DWORD fetchBudgetMs = 0;  // the longest one fetch of a chunk may take
    };

    ChunkDownload(const chunkstore::Manifest& manifest, GameFiles& files, InstallJournal& journal,
                  const Settings& settings);
    ChunkDownload(const ChunkDownload&) = delete;
    ChunkDownload& operator=(const ChunkDownload&) = delete;

    // On the install's thread, which reports progress to `listener` while the
    // connections work: up to 99 %, out of `totalBytes` of which `doneBytes`
    // are done already. Returns when every chunk is in place (Installed) or
    // the download stopped.
    ChunkedInstallOutcome Run(const std::vector<const chunkstore::PlannedChunk*>& todo, uint64_t doneBytes,
                              uint64_t totalBytes, ChunkedInstallListener& listener);

    // What a refusal of the game's files means for the install.
    static ChunkedInstallOutcome FilesOutcome(GameFiles::Result result);

private:
    class Connection;

    // One connection's thread: chunks from the queue until it is empty or
    // the download stops.
    void Work();
    ChunkedInstallOutcome PutInPlace(Connection& connection, const chunkstore::PlannedChunk& chunk);
    // The first failure stops every connection and decides the outcome.
    void Stop(ChunkedInstallOutcome outcome);
    bool Stopped() const { return stopped_.load(); }
    void Report(ChunkedInstallListener& listener, bool force);

    const chunkstore::Manifest& manifest_;  // not owned
    GameFiles& files_;                      // not owned
    InstallJournal& journal_;               // not owned
    const Settings settings_;
    const std::vector<const chunkstore::PlannedChunk*>* todo_ = nullptr;  // not owned; during Run
    std::atomic<size_t> next_{0};
    std::atomic<bool> stopped_{false};
    std::atomic<uint64_t> doneBytes_{0};
    std::atomic<uint64_t> arrivingBytes_{0};  // of fetches under way
    uint64_t totalBytes_ = 0;
    RateMeter rate_;
    std::mutex lock_;
    std::condition_variable changed_;
    unsigned working_ = 0;  // guarded by lock_
    ChunkedInstallOutcome outcome_ = ChunkedInstallOutcome::Installed;  // guarded by lock_
    unsigned lastPercent_ = 0;  // the install's thread's alone
    RateMeter::Clock::time_point lastReport_;
};
