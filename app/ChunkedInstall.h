#pragma once
#include "ChunkedInstallReport.h"
#include "DiskSpace.h"
#include "GameState.h"
#include "InstallJournal.h"
#include "InstallPlan.h"
#include "Manifest.h"
#include "Platform.h"
#include "StorePointer.h"

#include <cstdint>
#include <string>
#include <vector>

class GameFiles;
class StoreFetcher;

struct ChunkedInstallSettings {
    std::wstring manifestUrl;   // latest.json
    std::string publisherKey;   // "" when pointers need no signature
    unsigned connections = 1;
    int receiveTimeoutMs = 0;
    DWORD fetchBudgetMs = 0;    // the longest one fetch may take
    FreeSpaceQuery freeSpace = nullptr;
};

// The install of a game from a chunk store into the Game folder, on a worker
// thread: latest.json (its signature and version checked), the manifest it
// pins, then every chunk (ChunkDownload) written in place into the game's
// files. The install marker lies in Game from before the first file is made
// until every file is complete, verified and on disk; the journal
// (InstallJournal.h) lets a later run resume where a killed one stopped
// instead of starting over. Ends with the installed version recorded
// (GameState.h). Nothing is written before the pointer and the manifest
// passed every check, and nothing outside Game.
class ChunkedInstall {
public:
    ChunkedInstall(const ChunkedInstallSettings& settings, ChunkedInstallListener& listener);
    ChunkedInstall(const ChunkedInstall&) = delete;
    ChunkedInstall& operator=(const ChunkedInstall&) = delete;

    ChunkedInstallOutcome Run();

private:
    ChunkedInstallOutcome ReadPointer(StoreFetcher& fetcher);
    // The manifest of an install under way when it is the pointer's, else a fetched one.
    ChunkedInstallOutcome ReadManifest(StoreFetcher& fetcher);
    ChunkedInstallOutcome PrepareFolder();
    // The chunks still to fetch: every chunk of the plan but those the
    // journal records and that read back intact.
    void CheckJournaledChunks(GameFiles& files, std::vector<const chunkstore::PlannedChunk*>& todo,
                              uint64_t& doneBytes) const;
    ChunkedInstallOutcome Finish(GameFiles& files);

    const ChunkedInstallSettings settings_;
    ChunkedInstallListener& listener_;  // not owned
    const std::wstring gameDir_;
    InstalledVersion installed_;        // version "" when none is recorded
    chunkstore::StorePointer pointer_;
    InstalledVersion next_;             // what the record will say
    std::string manifestBytes_;
    chunkstore::Manifest manifest_;
    chunkstore::InstallPlan plan_;
    bool resuming_ = false;
    std::vector<uint32_t> journaled_;
    InstallJournal journal_;
};
