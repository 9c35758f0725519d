#pragma once
#include <string>
#include <vector>

// What an update's switch does to the Game folder, written down before the
// first file moves so that a launcher killed at any point can finish it or
// undo it at its next start.
struct SwitchStep {
    enum class Kind {
        Replace,  // the staged new file takes the path; an old one there goes aside
        Remove,   // the file at the path goes aside, and away at the end
        Folder,   // an empty folder of the new version
    };
    Kind kind = Kind::Replace;
    std::string path;  // UTF-8, '/' between components, relative to the Game folder

    bool operator==(const SwitchStep& other) const { return kind == other.kind && path == other.path; }
};

struct SwitchJournal {
    enum class State {
        Switching,  // steps may have run or not: finish them, or undo them
        Committed,  // every step ran: only the clean-up is left
    };
    State state = State::Switching;
    std::string version;  // the version being switched to, for the log
    std::vector<SwitchStep> steps;
    // Folders the old version needed and the new one does not, deepest
    // first: removed at the end when nothing is left in them.
    std::vector<std::string> prunedFolders;
};

// The journal as text, UTF-8 lines:
//   korva-switch 1
//   state switching|committed
//   version <text>
//   replace|remove|folder <path>   (one per step, in order)
//   prune <folder>                 (one per folder)
//   end
// "end" proves the text whole.
std::string EncodeSwitchJournal(const SwitchJournal& journal);
// False for anything but a whole journal of this form; paths may hold any
// character but a line break, and none may be empty.
bool DecodeSwitchJournal(const std::string& text, SwitchJournal& journal);

namespace chunkstore {
struct Manifest;
struct UpdatePlan;
}  // namespace chunkstore

// The switch from `installed` to `next` that `plan` (PlanUpdate of the two)
// describes: the removed files first, so that a path whose kind changes is
// free before it is taken, then every changed file and new empty folder in
// the plan's order. Folders are pruned only where the new version needs no
// folder under any case. The version is next's; the state Switching.
SwitchJournal PlanSwitch(const chunkstore::Manifest& installed, const chunkstore::Manifest& next,
                         const chunkstore::UpdatePlan& plan);
