#pragma once
#include "ChunkedInstall.h"
#include "ChunkedInstallReport.h"
#include "GameState.h"
#include "GameSwitch.h"
#include "Manifest.h"
#include "UpdateCheck.h"

#include <cstdint>
#include <string>
#include <vector>

class GameFiles;

namespace chunkstore {
struct UpdatePlan;
}

// Brings a game installed from a chunk store up to the version an update
// check found, or repairs it in place, on a worker thread. Only the files
// whose content changes are written, and beside the old ones (GameSwitch's
// staging folder): each chunk comes from an installed file when a copy there
// reads back as that chunk, else from the store (ChunkDownload). When every
// staged file is complete and on the disk, GameSwitch switches them in with
// the new installed-version record. Until then the old version is untouched
// and starts as before; after, the new one does.
class GameUpdate {
public:
    GameUpdate(const ChunkedInstallSettings& settings, ChunkedInstallListener& listener);
    GameUpdate(const GameUpdate&) = delete;
    GameUpdate& operator=(const GameUpdate&) = delete;

    // `check` NewVersion: the update to its pointer's version. Otherwise the
    // installed version itself. `verifyAll`: every installed file is read
    // and checked against the manifest first, and what differs is rewritten.
    ChunkedInstallOutcome Run(const UpdateCheck& check, bool verifyAll);

private:
    ChunkedInstallOutcome ReadInstalled();
    ChunkedInstallOutcome ReadNext(const UpdateCheck& check);
    // Marks in `installed_` each file of the installed version whose bytes
    // on disk are not the manifest's, so the plan rewrites it.
    void MarkDamagedFiles();
    // Writes the changed files into the staging folder, each chunk verified
    // before it is written.
    ChunkedInstallOutcome Stage(const chunkstore::UpdatePlan& plan);
    // Puts every chunk an installed copy of which reads back intact into
    // the staged files; the rest go to `todo`, with their stored bytes.
    ChunkedInstallOutcome ReuseInstalledChunks(GameFiles& staged, const chunkstore::Manifest& stagedManifest,
                                               const std::vector<chunkstore::PlannedChunk>& chunks,
                                               std::vector<const chunkstore::PlannedChunk*>& todo,
                                               uint64_t& fetchBytes);
    // The new record, staged as two more steps of the switch.
    ChunkedInstallOutcome StageRecord();

    const ChunkedInstallSettings settings_;
    ChunkedInstallListener& listener_;  // not owned
    const std::wstring gameDir_;
    GameSwitch switch_;
    InstalledVersion record_;
    chunkstore::Manifest installed_;
    InstalledVersion nextRecord_;
    std::string installedBytes_;  // the installed manifest as read, until a repair takes it as the next one
    std::string nextBytes_;
    chunkstore::Manifest next_;
    SwitchJournal journal_;
};
