#include "ChunkedInstall.h"

#include "ChunkDecoder.h"
#include "ChunkDownload.h"
#include "GameFiles.h"
#include "GameFolder.h"
#include "StoreError.h"
#include "StoreFetcher.h"
#include "StoreLimits.h"
#include "TraceLogger.h"

namespace {

const wchar_t kInstallFunction[] = L"ChunkedInstall::Run";

ChunkedInstallOutcome Refuse(const char* what, chunkstore::StoreError error, ChunkedInstallOutcome outcome) {
    TRACE_LOG_AS(kInstallFunction, TRACE_LEVEL_ERROR, L"%hs refused: %hs", what, chunkstore::StoreErrorText(error));
    return outcome;
}

ChunkedInstallOutcome SignatureOutcome(chunkstore::StoreError error) {
    switch (error) {
    case chunkstore::StoreError::PointerUnsigned:
        return ChunkedInstallOutcome::Unsigned;
    case chunkstore::StoreError::PublisherKeyInvalid:
        return ChunkedInstallOutcome::KeyUnusable;
    default:
        return ChunkedInstallOutcome::SignatureInvalid;
    }
}

}  // namespace

ChunkedInstall::ChunkedInstall(const ChunkedInstallSettings& settings, ChunkedInstallListener& listener)
    : settings_(settings), listener_(listener), gameDir_(GameDir()) {}

ChunkedInstallOutcome ChunkedInstall::Run() {
    if (!ReadInstalledVersion(gameDir_, installed_)) {
        installed_ = InstalledVersion();
    }
    StoreFetcher fetcher(settings_.receiveTimeoutMs, settings_.fetchBudgetMs);
    ChunkedInstallOutcome outcome = ReadPointer(fetcher);
    if (outcome == ChunkedInstallOutcome::Installed) outcome = ReadManifest(fetcher);
    if (outcome == ChunkedInstallOutcome::Installed) outcome = PrepareFolder();
    if (outcome != ChunkedInstallOutcome::Installed) {
        return outcome;
    }
    plan_ = chunkstore::PlanInstall(manifest_);
    GameFiles files(gameDir_, manifest_);
    if (!HasRoomFor(settings_.freeSpace, gameDir_, files.MissingBytes(), kInstallFunction)) {
        return ChunkedInstallOutcome::NoDiskSpace;
    }
    outcome = ChunkDownload::FilesOutcome(files.LayOut());
    if (outcome != ChunkedInstallOutcome::Installed) {
        return outcome;
    }
    std::vector<const chunkstore::PlannedChunk*> todo;
    uint64_t doneBytes = 0;
    CheckJournaledChunks(files, todo, doneBytes);
    TRACE_LOG_AS(kInstallFunction, TRACE_LEVEL_INFORMATION, L"version %hs: %u chunks, %u to fetch, %I64u of %I64u bytes done",
                 pointer_.version.c_str(), static_cast<unsigned>(plan_.chunks.size()),
                 static_cast<unsigned>(todo.size()), static_cast<unsigned long long>(doneBytes),
                 static_cast<unsigned long long>(plan_.bytesToFetch));
    listener_.OnInstallTotal(plan_.bytesToFetch);

    ChunkDownload::Settings download;
    download.pointerUrl = settings_.manifestUrl;
    download.connections = settings_.connections;
    download.receiveTimeoutMs = settings_.receiveTimeoutMs;
    download.fetchBudgetMs = settings_.fetchBudgetMs;
    outcome = ChunkDownload(manifest_, files, journal_, download).Run(todo, doneBytes, plan_.bytesToFetch, listener_);
    if (outcome != ChunkedInstallOutcome::Installed) {
        return outcome;
    }
    listener_.OnInstallProgress(100, 0, plan_.bytesToFetch);
    return Finish(files);
}

// A configured key accepts only a pointer it signed; with or without one, an
// installed game never goes back to an older version.
ChunkedInstallOutcome ChunkedInstall::ReadPointer(StoreFetcher& fetcher) {
    std::vector<uint8_t> bytes;
    if (fetcher.Fetch(settings_.manifestUrl, chunkstore::kMaxPointerBytes, bytes, nullptr) != FetchResult::Ok) {
        return ChunkedInstallOutcome::Unreachable;
    }
    next_.pointerETag = fetcher.ETag();
    next_.pointerLastModified = fetcher.LastModified();
    chunkstore::StoreError error = chunkstore::DecodePointerFile(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), pointer_);
    if (error != chunkstore::StoreError::Ok) {
        return Refuse("latest.json", error, ChunkedInstallOutcome::StoreInvalid);
    }
    if (!settings_.publisherKey.empty()) {
        error = chunkstore::VerifyPointerSignature(pointer_, settings_.publisherKey);
        if (error != chunkstore::StoreError::Ok) {
            return Refuse("latest.json's signature", error, SignatureOutcome(error));
        }
    }
    error = chunkstore::CheckNoRollback(installed_.version, pointer_.version);
    if (error != chunkstore::StoreError::Ok) {
        TRACE_LOG_AS(kInstallFunction, TRACE_LEVEL_ERROR, L"latest.json names %hs, older than the installed %hs",
                     pointer_.version.c_str(), installed_.version.c_str());
        return ChunkedInstallOutcome::Rollback;
    }
    next_.version = pointer_.version;
    next_.manifestName = pointer_.manifestName;
    next_.manifestBytes = pointer_.manifestBytes;
    next_.manifestSha256 = pointer_.manifestSha256;
    next_.manifestUrl = settings_.manifestUrl;
    return ChunkedInstallOutcome::Installed;
}

ChunkedInstallOutcome ChunkedInstall::ReadManifest(StoreFetcher& fetcher) {
    resuming_ = ReadPendingInstall(gameDir_, pointer_.manifestSha256, manifestBytes_, journaled_) &&
                chunkstore::ReadPinnedManifest(pointer_, reinterpret_cast<const uint8_t*>(manifestBytes_.data()),
                                               manifestBytes_.size(), manifest_) == chunkstore::StoreError::Ok;
    if (resuming_) {
        return ChunkedInstallOutcome::Installed;
    }
    journaled_.clear();
    std::vector<uint8_t> bytes;
    const std::wstring url = StoreObjectUrl(settings_.manifestUrl, pointer_.manifestName);
    if (fetcher.Fetch(url, pointer_.manifestBytes, bytes, nullptr) != FetchResult::Ok) {
        return ChunkedInstallOutcome::Unreachable;
    }
    chunkstore::StoreError error = chunkstore::ReadPinnedManifest(pointer_, bytes.data(), bytes.size(), manifest_);
    if (error != chunkstore::StoreError::Ok) {
        return Refuse("the manifest", error, ChunkedInstallOutcome::StoreInvalid);
    }
    manifestBytes_.assign(bytes.begin(), bytes.end());
    return ChunkedInstallOutcome::Installed;
}

// A resumed install keeps the Game folder as the killed run left it; a new
// one clears it first, as the package's install does.
ChunkedInstallOutcome ChunkedInstall::PrepareFolder() {
    if (!resuming_) {
        switch (PrepareGameDir()) {
        case GameDirPreparation::Ready:
            break;
        case GameDirPreparation::NotWritable:
            return ChunkedInstallOutcome::NotWritable;
        case GameDirPreparation::OldInstallKept:
            return ChunkedInstallOutcome::OldInstallKept;
        }
    }
    if (!MarkInstallIncomplete(gameDir_, kInstallFunction)) {
        return ChunkedInstallOutcome::NotWritable;
    }
    bool journalOpen = resuming_ ? journal_.Resume(gameDir_)
                                 : journal_.Begin(gameDir_, pointer_.manifestSha256, manifestBytes_);
    return journalOpen ? ChunkedInstallOutcome::Installed : ChunkedInstallOutcome::NotWritable;
}

// Power may have failed between a chunk's journal line and its bytes
// reaching the disk: a recorded chunk counts only when every place it was
// written to reads back as that chunk.
void ChunkedInstall::CheckJournaledChunks(GameFiles& files, std::vector<const chunkstore::PlannedChunk*>& todo,
                                          uint64_t& doneBytes) const {
    std::vector<bool> done(manifest_.chunks.size(), false);
    std::vector<uint8_t> raw;
    std::vector<const chunkstore::PlannedChunk*> slot(manifest_.chunks.size(), nullptr);
    for (const chunkstore::PlannedChunk& chunk : plan_.chunks) slot[chunk.chunk] = &chunk;
    for (uint32_t index : journaled_) {
        if (index >= done.size() || done[index] || slot[index] == nullptr) {
            continue;
        }
        const chunkstore::ChunkInfo& info = manifest_.chunks[index];
        raw.resize(info.rawBytes);
        bool intact = true;
        for (const chunkstore::ChunkPlacement& place : slot[index]->placements) {
            intact = intact && files.Read(place.entry, place.offset, raw.data(), raw.size()) == GameFiles::Result::Ok &&
                     chunkstore::VerifyRawChunk(info, raw.data(), raw.size()) == chunkstore::StoreError::Ok;
        }
        done[index] = intact;
        doneBytes += intact ? info.storedBytes : 0;
    }
    for (const chunkstore::PlannedChunk& chunk : plan_.chunks) {
        if (!done[chunk.chunk]) todo.push_back(&chunk);
    }
}

// The record of the new version goes down before the marker goes, so a
// game that starts is always one the record describes.
ChunkedInstallOutcome ChunkedInstall::Finish(GameFiles& files) {
    ChunkedInstallOutcome outcome = ChunkDownload::FilesOutcome(files.Flush());
    if (outcome != ChunkedInstallOutcome::Installed) {
        return outcome;
    }
    if (!WriteInstalledVersion(gameDir_, next_, manifestBytes_) ||
        !ClearInstallIncomplete(gameDir_, kInstallFunction)) {
        return ChunkedInstallOutcome::Failed;
    }
    journal_.Remove(gameDir_);
    return ChunkedInstallOutcome::Installed;
}
