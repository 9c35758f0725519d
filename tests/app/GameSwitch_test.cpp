#include "GameSwitch.h"

#include "FileTree.h"
#include "Paths.h"
#include "ScopedHandle.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

// A switch stopped after each of its changes on disk, as a kill would stop
// it, then recovered by the next start (itself stopped once more): the Game
// folder must end wholly the old version or wholly the new one, with the
// player's own files untouched.

namespace {

using Tree = std::map<std::wstring, std::string>;

const Tree kPlayerFiles = {
    {L"saves\\slot1.sav", "player save"},
    {L"data\\player.cfg", "player settings"},
};

const Tree kOld = {
    {L"game.exe", "old exe"},
    {L"data\\a.pak", "same in both"},
    {L"data\\gone.pak", "only in the old"},
    {L"maps\\old\\m1.map", "old map"},
    {L"was-file", "a file, then a folder"},
    {L"was-folder\\inner.txt", "in a folder, then in its place"},
    {L".korva\\installed.json", "1.0"},
};

const Tree kNew = {
    {L"game.exe", "new exe"},
    {L"data\\a.pak", "same in both"},
    {L"data\\b.pak", "added"},
    {L"levels\\new\\l1.lvl", "new level"},
    {L"was-file\\inside.txt", "now in a folder"},
    {L"was-folder", "now a file"},
    {L".korva\\installed.json", "2.0"},
};

SwitchJournal Journal() {
    SwitchJournal journal;
    journal.version = "2.0";
    journal.steps = {
        {SwitchStep::Kind::Remove, "data/gone.pak"},
        {SwitchStep::Kind::Remove, "maps/old/m1.map"},
        {SwitchStep::Kind::Remove, "was-file"},
        {SwitchStep::Kind::Remove, "was-folder/inner.txt"},
        {SwitchStep::Kind::Replace, "game.exe"},
        {SwitchStep::Kind::Replace, "data/b.pak"},
        {SwitchStep::Kind::Replace, "levels/new/l1.lvl"},
        {SwitchStep::Kind::Folder, "empty"},
        {SwitchStep::Kind::Replace, "was-file/inside.txt"},
        {SwitchStep::Kind::Replace, "was-folder"},
        {SwitchStep::Kind::Replace, ".korva/installed.json"},
    };
    journal.prunedFolders = {"maps/old", "maps", "was-folder"};
    return journal;
}

Tree With(Tree tree, const Tree& more) {
    tree.insert(more.begin(), more.end());
    return tree;
}

class GameSwitchTest : public ::testing::Test {
protected:
    // The old version and the player's files installed, the new files staged.
    void Install() {
        game = testenv::MakeTempSubdir(L"switch\\Game");
        for (const auto& [path, bytes] : With(kOld, kPlayerFiles)) {
            Write(path, bytes);
        }
        GameSwitch staging(game);
        ASSERT_TRUE(staging.PrepareStaging());
        const SwitchJournal journal = Journal();
        for (size_t i = 0; i < journal.steps.size(); ++i) {
            const std::string& path = journal.steps[i].path;
            std::wstring key(path.begin(), path.end());
            for (wchar_t& c : key) {
                c = c == L'/' ? L'\\' : c;
            }
            if (journal.steps[i].kind == SwitchStep::Kind::Replace) {
                ASSERT_TRUE(testenv::WriteFileBytes(staging.StagedFile(i), kNew.at(key)));
            }
        }
    }
    void Write(const std::wstring& path, const std::string& bytes) {
        const std::wstring full = game + L"\\" + path;
        CreateDirs(full.substr(0, full.find_last_of(L'\\')));
        ASSERT_TRUE(testenv::WriteFileBytes(full, bytes));
    }
    GameSwitch::Outcome RunStoppedAfter(int changes) {
        GameSwitch killed(game);
        killed.StopAfterForTesting(changes);
        return killed.Run(Journal());
    }
    bool Has(const wchar_t* path) { return PathExists(game + L"\\" + path); }
    // Wholly one version: its files, the player's, nothing of the launcher's switch.
    void ExpectWhole(const Tree& version) {
        EXPECT_EQ(With(version, kPlayerFiles), testenv::ReadFileTree(game));
        const bool isNew = &version == &kNew;
        EXPECT_EQ(isNew, Has(L"empty"));
        EXPECT_EQ(!isNew, Has(L"maps"));
        EXPECT_FALSE(Has(L".korva\\update"));
    }

    std::wstring game;
};

TEST_F(GameSwitchTest, AKillAtAnyChangeEndsInOneWholeVersionAtTheNextStart) {
    bool ranThrough = false;
    for (int stop = 0; stop < 80 && !ranThrough; ++stop) {
        SCOPED_TRACE(stop);
        Install();
        const GameSwitch::Outcome outcome = RunStoppedAfter(stop);
        ranThrough = outcome != GameSwitch::Outcome::Pending;
        if (ranThrough) {
            EXPECT_EQ(GameSwitch::Outcome::Switched, outcome);
        } else {
            // The next start is killed once more during its recovery.
            GameSwitch second(game);
            second.StopAfterForTesting(1);
            second.Recover();
            const GameSwitch::Outcome recovered = GameSwitch(game).Recover();
            EXPECT_NE(GameSwitch::Outcome::Pending, recovered);
            EXPECT_NE(GameSwitch::Outcome::RolledBack, recovered);
        }
        // Only a kill before the journal is in place leaves the old version.
        ExpectWhole(stop == 0 ? kOld : kNew);
        EXPECT_EQ(GameSwitch::Outcome::Clean, GameSwitch(game).Recover());
    }
    EXPECT_TRUE(ranThrough);
}

// A file held open (by a scanner, say) cannot go aside: the steps already
// done are undone, and a kill while they are undone is undone again at the
// next start. The held file is the last step's, so every kind is undone.
TEST_F(GameSwitchTest, ASwitchThatCannotGoOnIsUndoneWholly) {
    bool ranThrough = false;
    for (int stop = 1; stop < 80 && !ranThrough; ++stop) {
        SCOPED_TRACE(stop);
        Install();
        ScopedHandle held(CreateFileW((game + L"\\.korva\\installed.json").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.Valid());
        const GameSwitch::Outcome outcome = RunStoppedAfter(stop);
        ranThrough = outcome != GameSwitch::Outcome::Pending;
        if (ranThrough) {
            EXPECT_EQ(GameSwitch::Outcome::RolledBack, outcome);
        } else {
            const GameSwitch::Outcome recovered = GameSwitch(game).Recover();
            EXPECT_NE(GameSwitch::Outcome::Pending, recovered);
            EXPECT_NE(GameSwitch::Outcome::Switched, recovered);
        }
        held.Close();
        ExpectWhole(kOld);
    }
    EXPECT_TRUE(ranThrough);
}

TEST_F(GameSwitchTest, APendingSwitchKeepsItsJournalFromANewUpdate) {
    Install();
    ASSERT_EQ(GameSwitch::Outcome::Pending, RunStoppedAfter(3));
    EXPECT_FALSE(GameSwitch(game).PrepareStaging());
    ASSERT_TRUE(testenv::WriteFileBytes(game + L"\\.korva\\update\\journal", "korva-switch 1\nstate switching\n"));
    EXPECT_EQ(GameSwitch::Outcome::Pending, GameSwitch(game).Recover());
    EXPECT_TRUE(Has(L".korva\\update\\journal"));
}

}  // namespace
