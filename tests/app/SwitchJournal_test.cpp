#include "SwitchJournal.h"

#include "ManifestBuilder.h"
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

chunkstore::ChunkInfo Chunk(char letter) {
    chunkstore::ChunkInfo chunk;
    chunk.id.fill(static_cast<uint8_t>(letter));
    chunk.rawBytes = 100;
    chunk.storedBytes = 60;
    return chunk;
}

chunkstore::Manifest Make(const char* version, const std::vector<std::pair<std::string, char>>& files,
                          const std::vector<std::string>& folders) {
    chunkstore::ManifestBuilder builder(version);
    for (const auto& [path, letter] : files) {
        builder.AddFile(path, 100, {Chunk(letter)});
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

}  // namespace
