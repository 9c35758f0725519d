#pragma once
#include "SwitchJournal.h"

#include <cstddef>
#include <string>

// Switches the Game folder from one version to the next so that no start of
// the launcher ever finds a mix of the two. An update stages each new file
// in Game\.korva\update (the store refuses ".korva" paths, and the folder is
// on the same volume as the files it replaces) and verifies it there; Run then writes the
// journal, moves each old file aside and each new one in, marks the journal
// committed and removes what went aside. A launcher killed anywhere in
// between finds the journal at its next start, and Recover finishes the
// switch, or undoes it when a step cannot be done (a file the game holds
// open): the Game folder is then wholly the new version or wholly the old
// one. Files no step names (saves, settings, mods) are never touched.
class GameSwitch {
public:
    enum class Outcome {
        Clean,       // Recover only: no switch was under way
        Switched,    // the new version is in place
        RolledBack,  // the old version is whole again; the update is dropped
        Pending,     // a switch is half done and could not be finished or undone
                     // now: the game must not start; the next start tries again
    };

    explicit GameSwitch(const std::wstring& gameDir);

    // Before staging an update, after Recover: removes what an update that
    // never switched left, and makes the staging folder. False when it
    // cannot, or when a switch is still pending.
    bool PrepareStaging();
    // Where the new file of `journal.steps[step]` (a Replace step) is
    // staged, and its name (UTF-8) in the staging folder.
    std::wstring StagedFile(size_t step) const;
    static std::string StagedName(size_t step);
    // The file or folder a manifest's `path` names in `gameDir`.
    static std::wstring GamePath(const std::wstring& gameDir, const std::string& path);
    const std::wstring& StagingDir() const { return stagingDir_; }
    // The switch of `journal`, whose Replace steps are staged and verified.
    Outcome Run(SwitchJournal journal);
    // At every start, before anything looks at the installed game.
    Outcome Recover();

    // Ends the switch as a kill would, after `operations` changes on disk
    // (journal writes, moves, deletions, folders); negative: never.
    void StopAfterForTesting(int operations) { stopAfter_ = operations; }

private:
    Outcome Complete(SwitchJournal& journal);
    bool Forward(const SwitchStep& step, size_t index);
    bool Undo(const SwitchStep& step, size_t index);
    Outcome RollBack(const SwitchJournal& journal, size_t steps);
    bool Finish(const SwitchJournal& journal);
    bool WriteJournal(const SwitchJournal& journal);
    bool ReadJournal(SwitchJournal& journal) const;

    std::wstring Target(const std::string& path) const;
    std::wstring AsideFile(size_t step) const;
    std::wstring JournalFile() const;
    // Each change on disk goes through here: false once the test's stop is reached.
    bool MayChange();
    bool Move(const std::wstring& from, const std::wstring& to, bool replace);
    // Undoes a move aside.
    bool MoveBack(const std::wstring& aside, const std::wstring& target);

    const std::wstring gameDir_;
    const std::wstring stagingDir_;
    int stopAfter_ = -1;
    int changes_ = 0;
    bool stopped_ = false;
};
