#include "GameUpdate.h"

#include "ChunkDecoder.h"
#include "ChunkDownload.h"
#include "GameFiles.h"
#include "GameFolder.h"
#include "InstallJournal.h"
#include "ManifestCodec.h"
#include "Paths.h"
#include "StagedFiles.h"
#include "StoreError.h"
#include "StoreFetcher.h"
#include "StorePointer.h"
#include "TextHelpers.h"
#include "TraceLogger.h"
#include "UpdatePlan.h"

#include <cstdint>
#include <utility>

namespace {

const wchar_t kUpdateFunction[] = L"GameUpdate::Run";
// Where the new record is written before it is staged.
const wchar_t kRecordDraftFolder[] = L"record";

// Whether every place `chunk` goes in `files` reads back as that chunk.
bool ReadsBack(GameFiles& files, const chunkstore::ChunkInfo& info,
               const std::vector<chunkstore::ChunkPlacement>& places, std::vector<uint8_t>& raw) {
    raw.resize(info.rawBytes);
    for (const chunkstore::ChunkPlacement& place : places) {
        if (files.Read(place.entry, place.offset, raw.data(), raw.size()) != GameFiles::Result::Ok ||
            chunkstore::VerifyRawChunk(info, raw.data(), raw.size()) != chunkstore::StoreError::Ok) {
            return false;
        }
    }
    return true;
}

bool IsFolderPath(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// UINT64_MAX for no file (a folder is none).
uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return UINT64_MAX;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

GameUpdate::GameUpdate(const ChunkedInstallSettings& settings, ChunkedInstallListener& listener)
    : settings_(settings), listener_(listener), gameDir_(GameDir()), switch_(gameDir_) {}

ChunkedInstallOutcome GameUpdate::Run(const UpdateCheck& check, bool verifyAll) {
    ChunkedInstallOutcome outcome = ReadInstalled();
    if (outcome == ChunkedInstallOutcome::Installed) outcome = ReadNext(check);
    if (outcome != ChunkedInstallOutcome::Installed) {
        return outcome;
    }
    if (verifyAll) {
        MarkDamagedFiles();
    }
    const chunkstore::UpdatePlan plan = chunkstore::PlanUpdate(installed_, next_);
    journal_ = PlanSwitch(installed_, next_, plan);
    if (journal_.steps.empty() && next_.version == installed_.version) {
        TRACE_LOG_AS(kUpdateFunction, TRACE_LEVEL_INFORMATION, L"version %hs verified: every file intact",
                     next_.version.c_str());
        return ChunkedInstallOutcome::Installed;
    }
    if (!switch_.PrepareStaging()) {
        return ChunkedInstallOutcome::NotWritable;
    }
    outcome = Stage(plan);
    if (outcome == ChunkedInstallOutcome::Installed) outcome = StageRecord();
    if (outcome != ChunkedInstallOutcome::Installed) {
        return outcome;
    }
    switch (switch_.Run(journal_)) {
    case GameSwitch::Outcome::Clean:
    case GameSwitch::Outcome::Switched:
        return ChunkedInstallOutcome::Installed;
    case GameSwitch::Outcome::RolledBack:
    case GameSwitch::Outcome::Pending:
        break;
    }
    return ChunkedInstallOutcome::OldInstallKept;
}

ChunkedInstallOutcome GameUpdate::ReadInstalled() {
    if (!ReadInstalledVersion(gameDir_, record_) || !ReadInstalledManifest(gameDir_, record_, installedBytes_) ||
        chunkstore::DecodeManifest(reinterpret_cast<const uint8_t*>(installedBytes_.data()), installedBytes_.size(),
                                   installed_) !=
            chunkstore::StoreError::Ok) {
        TRACE_LOG_AS(kUpdateFunction, TRACE_LEVEL_ERROR, L"installed version unreadable");
        return ChunkedInstallOutcome::Failed;
    }
    return ChunkedInstallOutcome::Installed;
}

// A repair has the installed version as its target; an update fetches the
// manifest the checked pointer pins.
ChunkedInstallOutcome GameUpdate::ReadNext(const UpdateCheck& check) {
    if (check.outcome != UpdateCheckOutcome::NewVersion) {
        next_ = installed_;
        nextRecord_ = record_;
        nextBytes_ = std::move(installedBytes_);
        return ChunkedInstallOutcome::Installed;
    }
    const chunkstore::StorePointer& pointer = check.pointer;
    StoreFetcher fetcher(settings_.receiveTimeoutMs, settings_.fetchBudgetMs);
    std::vector<uint8_t> bytes;
    if (fetcher.Fetch(StoreObjectUrl(settings_.manifestUrl, pointer.manifestName), pointer.manifestBytes, bytes,
                      nullptr) != FetchResult::Ok) {
        return ChunkedInstallOutcome::Unreachable;
    }
    const chunkstore::StoreError error = chunkstore::ReadPinnedManifest(pointer, bytes.data(), bytes.size(), next_);
    if (error != chunkstore::StoreError::Ok) {
        TRACE_LOG_AS(kUpdateFunction, TRACE_LEVEL_ERROR, L"the manifest refused: %hs",
                     chunkstore::StoreErrorText(error));
        return ChunkedInstallOutcome::StoreInvalid;
    }
    nextBytes_.assign(bytes.begin(), bytes.end());
    nextRecord_.version = pointer.version;
    nextRecord_.manifestName = pointer.manifestName;
    nextRecord_.manifestBytes = pointer.manifestBytes;
    nextRecord_.manifestSha256 = pointer.manifestSha256;
    nextRecord_.manifestUrl = settings_.manifestUrl;
    nextRecord_.pointerETag = check.validators.etag;
    nextRecord_.pointerLastModified = check.validators.lastModified;
    return ChunkedInstallOutcome::Installed;
}

// A damaged entry is given a size no manifest has, so the plan takes it for
// changed and rewrites it; its chunks stay on offer, each to be verified
// where it lies, so the intact ones are reused.
void GameUpdate::MarkDamagedFiles() {
    GameFiles files(gameDir_, installed_, GameFiles::Use::ReadOnly);
    const std::vector<chunkstore::PlannedChunk> chunks = chunkstore::PlanInstall(installed_).chunks;
    std::vector<bool> damaged(installed_.entries.size(), false);
    for (uint32_t i = 0; i < installed_.entries.size(); ++i) {
        const chunkstore::ManifestEntry& entry = installed_.entries[i];
        const std::wstring path = GameSwitch::GamePath(gameDir_, entry.path);
        damaged[i] = entry.kind == chunkstore::EntryKind::File ? FileSize(path) != entry.size
                                                               : !IsFolderPath(path);
    }
    std::vector<uint8_t> raw;
    for (const chunkstore::PlannedChunk& chunk : chunks) {
        const chunkstore::ChunkInfo& info = installed_.chunks[chunk.chunk];
        for (const chunkstore::ChunkPlacement& place : chunk.placements) {
            if (!damaged[place.entry] && !ReadsBack(files, info, {place}, raw)) {
                damaged[place.entry] = true;
            }
        }
    }
    for (uint32_t i = 0; i < damaged.size(); ++i) {
        if (damaged[i]) {
            TRACE_LOG_AS(kUpdateFunction, TRACE_LEVEL_WARNING, L"damaged, to be repaired: %hs",
                         installed_.entries[i].path.c_str());
            installed_.entries[i].size = UINT64_MAX;
        }
    }
}

ChunkedInstallOutcome GameUpdate::Stage(const chunkstore::UpdatePlan& plan) {
    const StagedFiles staged = PlanStagedFiles(next_, journal_);
    const std::vector<chunkstore::PlannedChunk> chunks = PlanStagedChunks(staged, plan);
    GameFiles files(switch_.StagingDir(), staged.manifest);
    if (!HasRoomFor(settings_.freeSpace, gameDir_, files.MissingBytes(), kUpdateFunction)) {
        return ChunkedInstallOutcome::NoDiskSpace;
    }
    ChunkedInstallOutcome outcome = ChunkDownload::FilesOutcome(files.LayOut());
    if (outcome != ChunkedInstallOutcome::Installed) {
        return outcome;
    }
    std::vector<const chunkstore::PlannedChunk*> todo;
    uint64_t fetchBytes = 0;
    outcome = ReuseInstalledChunks(files, staged.manifest, chunks, todo, fetchBytes);
    if (outcome != ChunkedInstallOutcome::Installed) {
        return outcome;
    }
    TRACE_LOG_AS(kUpdateFunction, TRACE_LEVEL_INFORMATION,
                 L"version %hs to %hs: %u files to write, %u of %u chunks to fetch, %I64u bytes",
                 installed_.version.c_str(), next_.version.c_str(), static_cast<unsigned>(staged.steps.size()),
                 static_cast<unsigned>(todo.size()), static_cast<unsigned>(chunks.size()),
                 static_cast<unsigned long long>(fetchBytes));
    listener_.OnInstallTotal(fetchBytes);
    InstallJournal journal;
    if (!journal.Begin(switch_.StagingDir(), nextRecord_.manifestSha256, nextBytes_)) {
        return ChunkedInstallOutcome::NotWritable;
    }
    ChunkDownload::Settings download;
    download.pointerUrl = settings_.manifestUrl;
    download.connections = settings_.connections;
    download.receiveTimeoutMs = settings_.receiveTimeoutMs;
    download.fetchBudgetMs = settings_.fetchBudgetMs;
    outcome = ChunkDownload(staged.manifest, files, journal, download).Run(todo, 0, fetchBytes, listener_);
    // Every chunk was verified before its bytes were written; the flush puts
    // them on the disk before the journal can name them.
    if (outcome == ChunkedInstallOutcome::Installed) outcome = ChunkDownload::FilesOutcome(files.Flush());
    if (outcome != ChunkedInstallOutcome::Installed) {
        return outcome;
    }
    listener_.OnInstallProgress(100, 0, fetchBytes);
    return ChunkedInstallOutcome::Installed;
}

ChunkedInstallOutcome GameUpdate::ReuseInstalledChunks(GameFiles& staged, const chunkstore::Manifest& stagedManifest,
                                                       const std::vector<chunkstore::PlannedChunk>& chunks,
                                                       std::vector<const chunkstore::PlannedChunk*>& todo,
                                                       uint64_t& fetchBytes) {
    GameFiles installedFiles(gameDir_, installed_, GameFiles::Use::ReadOnly);
    std::vector<uint8_t> raw;
    for (const chunkstore::PlannedChunk& chunk : chunks) {
        const chunkstore::ChunkInfo& info = stagedManifest.chunks[chunk.chunk];
        bool reused = false;
        for (const chunkstore::ChunkPlacement& copy : chunk.installedCopies) {
            // A damaged copy is no loss: the next one, or the store, serves.
            if (ReadsBack(installedFiles, info, {copy}, raw)) {
                reused = true;
                break;
            }
        }
        if (!reused) {
            todo.push_back(&chunk);
            fetchBytes += info.storedBytes;
            continue;
        }
        for (const chunkstore::ChunkPlacement& place : chunk.placements) {
            const ChunkedInstallOutcome outcome =
                ChunkDownload::FilesOutcome(staged.Write(place.entry, place.offset, raw.data(), raw.size()));
            if (outcome != ChunkedInstallOutcome::Installed) {
                return outcome;
            }
        }
    }
    return ChunkedInstallOutcome::Installed;
}

// The new record goes in with the files, as two more steps of the switch.
ChunkedInstallOutcome GameUpdate::StageRecord() {
    const std::wstring draft = CombinePath(switch_.StagingDir(), kRecordDraftFolder);
    CreateDirs(draft);
    if (!WriteInstalledVersion(draft, nextRecord_, nextBytes_)) {
        return ChunkedInstallOutcome::NotWritable;
    }
    for (const wchar_t* name : {kInstalledManifestFile, kInstalledRecordFile}) {
        const std::wstring relative = std::wstring(kGameStateFolder) + L"/" + name;
        const std::string path = WideToUtf8(relative);
        journal_.steps.push_back({SwitchStep::Kind::Replace, path});
        if (!MoveFileExW(GameStatePath(draft, name).c_str(), switch_.StagedFile(journal_.steps.size() - 1).c_str(),
                         MOVEFILE_REPLACE_EXISTING)) {
            TRACE_LOG_AS(kUpdateFunction, TRACE_LEVEL_ERROR, L"record not staged! lasterror:%d",
                         static_cast<int>(GetLastError()));
            return ChunkedInstallOutcome::NotWritable;
        }
    }
    return ChunkedInstallOutcome::Installed;
}
