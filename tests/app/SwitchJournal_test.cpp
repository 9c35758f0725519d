#include "SwitchJournal.h"

#include "StagedFiles.h"

#include "ManifestBuilder.h"
#include "TestChunks.h"
#include "UpdatePlan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = SwitchStep::Kind;

TEST(SwitchJournal, ReadsBackWhatItWrote) {
    SwitchJournal journal;
    journal.state = SwitchJournal::State::Committed;
    journal.version = "2.0.13";
    journal.steps = {{Kind::Remove, "old dir/旧.pak"}, {Kind::Replace, "game.exe"}, {Kind::Folder, "saves"}};
    journal.prunedFolders = {"old dir"};
    SwitchJournal read;
    ASSERT_TRUE(DecodeSwitchJournal(EncodeSwitchJournal(journal), read));
    EXPECT_EQ(journal.state, read.state);
    EXPECT_EQ(journal.version, read.version);
    EXPECT_EQ(journal.steps, read.steps);
    EXPECT_EQ(journal.prunedFolders, read.prunedFolders);
}

TEST(SwitchJournal, RefusesAnythingButAWholeJournal) {
    const std::string whole = "korva-switch 1\nstate switching\nversion 2\nreplace a\nprune b\nend\n";
    SwitchJournal read;
    ASSERT_TRUE(DecodeSwitchJournal(whole, read));
    const char* broken[] = {
        "",
        "korva-switch 1\nstate switching\nversion 2\nreplace a\nprune b\n",       // cut before the end
        "korva-switch 1\nstate switching\nversion 2\nreplace a\nprune b\nend\nx",  // more after it
        "korva-switch 2\nstate switching\nversion 2\nend\n",
        "korva-switch 1\nstate done\nversion 2\nend\n",
        "korva-switch 1\nversion 2\nstate switching\nend\n",
        "korva-switch 1\nstate switching\nversion 2\nmove a\nend\n",
        "korva-switch 1\nstate switching\nversion 2\nreplace \nend\n",
        "korva-switch 1\nstate switching\nversion 2\nprune b\nreplace a\nend\n",
    };
    for (const char* text : broken) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(DecodeSwitchJournal(text, read));
    }
}

chunkstore::Manifest Make(const char* version, const std::vector<std::pair<std::string, char>>& files,
                          const std::vector<std::string>& folders) {
    chunkstore::ManifestBuilder builder(version);
    for (const auto& [path, letter] : files) {
        builder.AddFile(path, 100, {testkit::ChunkWithId(static_cast<uint8_t>(letter), 100, 60)});
    }
    for (const std::string& folder : folders) {
        builder.AddFolder(folder);
    }
    return builder.Build();
}

// Removals come first, so a path whose kind changes is free before it is
// taken; a folder the new version needs under any case is never pruned.
TEST(SwitchJournal, PlansRemovalsThenChangesAndPrunesOnlyFoldersNoLongerNeeded) {
    const chunkstore::Manifest installed =
        Make("1.0",
             {{"game.exe", 'A'}, {"data/gone.pak", 'B'}, {"data/a.pak", 'C'}, {"maps/old/m1.map", 'D'},
              {"Tools/t.exe", 'F'}},
             {"oldempty"});
    const chunkstore::Manifest next =
        Make("1.1", {{"game.exe", 'E'}, {"data/a.pak", 'C'}, {"data/b.pak", 'G'}, {"tools/new.exe", 'H'}},
             {"newempty"});
    const SwitchJournal journal = PlanSwitch(installed, next, chunkstore::PlanUpdate(installed, next));
    EXPECT_EQ("1.1", journal.version);
    EXPECT_EQ(SwitchJournal::State::Switching, journal.state);
    const std::vector<SwitchStep> steps = {
        {Kind::Remove, "Tools/t.exe"},    {Kind::Remove, "data/gone.pak"}, {Kind::Remove, "maps/old/m1.map"},
        {Kind::Replace, "data/b.pak"},    {Kind::Replace, "game.exe"},     {Kind::Folder, "newempty"},
        {Kind::Replace, "tools/new.exe"},
    };
    EXPECT_EQ(steps, journal.steps);
    EXPECT_EQ((std::vector<std::string>{"maps/old", "maps", "oldempty"}), journal.prunedFolders);
}

// Each replaced file is staged under its step's name; a chunk the installed
// version holds anywhere is read back from there, even into another file.
TEST(SwitchJournal, StagesEachReplacedFileWithItsChunksAndTheirInstalledCopies) {
    const chunkstore::Manifest installed = Make("1.0", {{"a.pak", 'A'}, {"b.pak", 'B'}}, {});
    const chunkstore::Manifest next = Make("1.1", {{"a.pak", 'B'}, {"b.pak", 'B'}, {"c.pak", 'C'}}, {});
    const chunkstore::UpdatePlan plan = chunkstore::PlanUpdate(installed, next);
    SwitchJournal journal = PlanSwitch(installed, next, plan);
    journal.steps.push_back({Kind::Replace, ".korva/installed.json"});
    const StagedFiles staged = PlanStagedFiles(next, journal);
    ASSERT_EQ((std::vector<size_t>{0, 1}), staged.steps);
    EXPECT_EQ("new-0", staged.manifest.entries[0].path);
    EXPECT_EQ("new-1", staged.manifest.entries[1].path);
    const std::vector<chunkstore::PlannedChunk> chunks = PlanStagedChunks(staged, plan);
    ASSERT_EQ(2u, chunks.size());
    EXPECT_EQ('B', next.chunks[chunks[0].chunk].id[0]);
    ASSERT_EQ(1u, chunks[0].placements.size());
    EXPECT_EQ(0u, chunks[0].placements[0].entry);
    ASSERT_EQ(1u, chunks[0].installedCopies.size());
    EXPECT_EQ("b.pak", installed.entries[chunks[0].installedCopies[0].entry].path);
    EXPECT_EQ('C', next.chunks[chunks[1].chunk].id[0]);
    EXPECT_TRUE(chunks[1].installedCopies.empty());
}

}  // namespace
