#pragma once
#include "InstallPlan.h"
#include "Manifest.h"
#include "SwitchJournal.h"

#include <cstddef>
#include <vector>

namespace chunkstore {
struct UpdatePlan;
}

// The new files an update writes before its switch, as a manifest of their
// own whose root is the staging folder: entry k is the game file of the
// journal's Replace step steps[k], named by GameSwitch::StagedName, with the
// chunks of the next version's entry at that path (indexes into the same
// chunk table as the next version's).
struct StagedFiles {
    chunkstore::Manifest manifest;
    std::vector<size_t> steps;
};

// Every Replace step of `journal` that names a file of `next`; steps that
// name none (the launcher's own record) are staged by their caller.
StagedFiles PlanStagedFiles(const chunkstore::Manifest& next, const SwitchJournal& journal);

// The chunks the staged files need, each with its places in them and the
// places the installed version holds it (from `plan`, PlanUpdate to `next`),
// to be read back and verified before they are reused.
std::vector<chunkstore::PlannedChunk> PlanStagedChunks(const StagedFiles& staged, const chunkstore::UpdatePlan& plan);
