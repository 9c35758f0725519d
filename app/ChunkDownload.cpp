#include "ChunkDownload.h"

#include "ChunkDecoder.h"
#include "GameFiles.h"
#include "InstallJournal.h"
#include "StoreError.h"
#include "StoreFetcher.h"
#include "StoreLayout.h"
#include "TraceLogger.h"

#include <chrono>
#include <exception>
#include <thread>

namespace {

const wchar_t kDownloadFunction[] = L"ChunkDownload::Run";
constexpr auto kReportEvery = std::chrono::milliseconds(250);

}  // namespace

// What one connection owns: its WinINet handles, its zstd context and its
// buffers, and the count of the bytes of the fetch under way.
class ChunkDownload::Connection : public FetchObserver {
public:
    explicit Connection(ChunkDownload& owner)
        : download(owner), fetcher(owner.settings_.receiveTimeoutMs, owner.settings_.fetchBudgetMs) {}

    void Received(size_t bytes) override {
        download.rate_.Add(bytes);
        download.arrivingBytes_ += bytes;
        attemptBytes += bytes;
    }
    bool Stopped() override { return download.Stopped(); }

    // The bytes of a fetch that is over leave the count of those under way.
    void EndAttempt() {
        download.arrivingBytes_ -= attemptBytes;
        attemptBytes = 0;
    }

    ChunkDownload& download;  // not owned
    StoreFetcher fetcher;
    chunkstore::ChunkDecoder decoder;
    std::vector<uint8_t> stored;
    std::vector<uint8_t> raw;
    uint64_t attemptBytes = 0;
};

ChunkDownload::ChunkDownload(const chunkstore::Manifest& manifest, GameFiles& files, InstallJournal& journal,
                             const Settings& settings)
    : manifest_(manifest), files_(files), journal_(journal), settings_(settings) {}

ChunkedInstallOutcome ChunkDownload::Run(const std::vector<const chunkstore::PlannedChunk*>& todo,
                                         uint64_t doneBytes, uint64_t totalBytes,
                                         ChunkedInstallListener& listener) {
    todo_ = &todo;
    doneBytes_ = doneBytes;
    totalBytes_ = totalBytes;
    // WinINet keeps to a few connections per server unless told otherwise,
    // for every session of the process.
    DWORD connections = settings_.connections;
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections, sizeof(connections));
    InternetSetOptionW(nullptr, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER, &connections, sizeof(connections));

    const size_t count = std::min<size_t>(settings_.connections, todo.size());
    std::vector<std::thread> threads;
    try {
        for (size_t i = 0; i < count; ++i) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                ++working_;
            }
            threads.emplace_back([this] { Work(); });
        }
    } catch (const std::exception& error) {
        TRACE_LOG_AS(kDownloadFunction, TRACE_LEVEL_ERROR, L"connection not started: %hs", error.what());
        std::lock_guard<std::mutex> hold(lock_);
        --working_;  // the one whose thread did not start
        if (threads.empty()) {
            outcome_ = ChunkedInstallOutcome::Failed;
            stopped_ = true;
        }
    }
    Report(listener, true);
    for (;;) {
        std::unique_lock<std::mutex> hold(lock_);
        if (changed_.wait_for(hold, kReportEvery, [this] { return working_ == 0; })) {
            break;
        }
        hold.unlock();
        Report(listener, false);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::lock_guard<std::mutex> hold(lock_);
    return outcome_;
}

void ChunkDownload::Work() {
    try {
        Connection connection(*this);
        for (size_t next = next_++; next < todo_->size() && !Stopped(); next = next_++) {
            ChunkedInstallOutcome outcome = PutInPlace(connection, *(*todo_)[next]);
            if (outcome != ChunkedInstallOutcome::Installed) {
                Stop(outcome);
            }
        }
    } catch (const std::exception& error) {
        TRACE_LOG_AS(kDownloadFunction, TRACE_LEVEL_ERROR, L"connection failed: %hs", error.what());
        Stop(ChunkedInstallOutcome::Failed);
    } catch (...) {
        TRACE_LOG_AS(kDownloadFunction, TRACE_LEVEL_ERROR, L"connection failed: unknown exception");
        Stop(ChunkedInstallOutcome::Failed);
    }
    std::lock_guard<std::mutex> hold(lock_);
    --working_;
    changed_.notify_all();
}

ChunkedInstallOutcome ChunkDownload::PutInPlace(Connection& connection, const chunkstore::PlannedChunk& chunk) {
    const chunkstore::ChunkInfo& info = manifest_.chunks[chunk.chunk];
    const std::wstring url = StoreObjectUrl(settings_.pointerUrl, chunkstore::ChunkObjectName(info.id));
    ChunkedInstallOutcome failure = ChunkedInstallOutcome::Unreachable;
    for (int fetch = 1; fetch <= kMaxFetches && !Stopped(); ++fetch) {
        if (failure == ChunkedInstallOutcome::Unreachable && fetch > 1) {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait_for(hold, std::chrono::milliseconds(kRetryPauseMs * (fetch - 1)), [this] { return Stopped(); });
        }
        FetchResult fetched = connection.fetcher.Fetch(url, info.storedBytes, connection.stored, &connection);
        connection.EndAttempt();
        if (fetched == FetchResult::Stopped) {
            break;
        }
        if (fetched != FetchResult::Ok) {
            failure = ChunkedInstallOutcome::Unreachable;
            continue;
        }
        chunkstore::StoreError error =
            connection.decoder.Decode(info, connection.stored.data(), connection.stored.size(), connection.raw);
        if (error != chunkstore::StoreError::Ok) {
            TRACE_LOG_AS(kDownloadFunction, TRACE_LEVEL_ERROR, L"chunk refused (fetch %d of %d): %hs, url:%s", fetch,
                         kMaxFetches, chunkstore::StoreErrorText(error), url.c_str());
            failure = ChunkedInstallOutcome::ChunkCorrupt;
            continue;
        }
        for (const chunkstore::ChunkPlacement& place : chunk.placements) {
            GameFiles::Result written = files_.Write(place.entry, place.offset, connection.raw.data(), info.rawBytes);
            if (written != GameFiles::Result::Ok) {
                return FilesOutcome(written);
            }
        }
        if (!journal_.Record(chunk.chunk)) {
            return ChunkedInstallOutcome::Failed;
        }
        doneBytes_ += info.storedBytes;
        return ChunkedInstallOutcome::Installed;
    }
    return Stopped() ? ChunkedInstallOutcome::Installed : failure;
}

void ChunkDownload::Stop(ChunkedInstallOutcome outcome) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!stopped_) {
        outcome_ = outcome;
        stopped_ = true;
    }
    changed_.notify_all();
}

// The percentage goes up only, and each new one is shown at once; between
// them the speed and size are brought up to date a few times a second.
void ChunkDownload::Report(ChunkedInstallListener& listener, bool force) {
    const RateMeter::Clock::time_point now = RateMeter::Clock::now();
    const uint64_t downloaded = doneBytes_ + arrivingBytes_;
    uint64_t percent = totalBytes_ == 0 ? 99 : downloaded * 100 / totalBytes_;
    percent = percent < 99 ? percent : 99;
    if (!force && percent <= lastPercent_ && now - lastReport_ < 2 * kReportEvery) {
        return;
    }
    lastPercent_ = static_cast<unsigned>(percent > lastPercent_ ? percent : lastPercent_);
    lastReport_ = now;
    listener.OnInstallProgress(lastPercent_, rate_.BytesPerSecond(now), downloaded);
}

ChunkedInstallOutcome ChunkDownload::FilesOutcome(GameFiles::Result result) {
    switch (result) {
    case GameFiles::Result::Ok:
        return ChunkedInstallOutcome::Installed;
    case GameFiles::Result::Unsafe:
        return ChunkedInstallOutcome::Unsafe;
    case GameFiles::Result::DiskFull:
        return ChunkedInstallOutcome::DiskFull;
    case GameFiles::Result::Failed:
        break;
    }
    return ChunkedInstallOutcome::Failed;
}
