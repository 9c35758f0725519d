#include "InstallPlan.h"
#include "UpdatePlan.h"

#include "ManifestBuilder.h"
#include "TestChunks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using chunkstore::ChunkInfo;
using chunkstore::Manifest;

namespace {

// Files as chunk letters: "game.exe" -> "AAB" is chunk A twice, then B.
Manifest Make(const char* version, const std::vector<std::pair<std::string, std::string>>& files,
              const std::vector<std::string>& folders = {}) {
    chunkstore::ManifestBuilder builder(version);
    for (const auto& [path, letters] : files) {
        std::vector<ChunkInfo> chunks;
        uint64_t size = 0;
        for (char letter : letters) {
            uint32_t raw = 1000 + letter;
            chunks.push_back(testkit::ChunkWithId(static_cast<uint8_t>(letter), raw, raw / 2 + 1));
            size += raw;
        }
        builder.AddFile(path, size, chunks);
    }
    for (const std::string& folder : folders) builder.AddFolder(folder);
    return builder.Build();
}

std::vector<std::string> Paths(const Manifest& manifest, const std::vector<uint32_t>& entries) {
    std::vector<std::string> paths;
    for (uint32_t index : entries) paths.push_back(manifest.entries[index].path);
    return paths;
}

std::string Letters(const Manifest& manifest, const std::vector<chunkstore::PlannedChunk>& chunks) {
    std::string letters;
    for (const auto& chunk : chunks) letters += static_cast<char>(manifest.chunks[chunk.chunk].id[0]);
    return letters;
}

}  // namespace

TEST(InstallPlan, EachChunkFetchedOnceAndPlacedEverywhereItIsUsed) {
    Manifest manifest = Make("1.0", {{"b.pak", "ABA"}, {"a.exe", "CA"}, {"empty.txt", ""}}, {"saves"});
    chunkstore::InstallPlan plan = chunkstore::PlanInstall(manifest);
    EXPECT_EQ(std::vector<std::string>({"a.exe", "b.pak", "empty.txt"}), Paths(manifest, plan.files));
    EXPECT_EQ(std::vector<std::string>({"saves"}), Paths(manifest, plan.folders));
    ASSERT_EQ("CAB", Letters(manifest, plan.chunks));
    // A goes at the end of a.exe and twice into b.pak.
    const auto& placements = plan.chunks[1].placements;
    ASSERT_EQ(3u, placements.size());
    EXPECT_EQ("a.exe", manifest.entries[placements[0].entry].path);
    EXPECT_EQ(1000u + 'C', placements[0].offset);
    EXPECT_EQ(0u, placements[1].offset);
    EXPECT_EQ(2000u + 'A' + 'B', placements[2].offset);
    EXPECT_EQ((1000u + 'A') / 2 + 1 + (1000u + 'B') / 2 + 1 + (1000u + 'C') / 2 + 1, plan.bytesToFetch);
    EXPECT_EQ(5000u + 3 * 'A' + 'B' + 'C', plan.bytesToWrite);
}

TEST(UpdatePlan, FetchesOnlyNewChunksOfChangedFilesAndRemovesWhatWentAway) {
    Manifest installed = Make("1.0", {{"Data/level.pak", "ABCD"}, {"game.exe", "E"}, {"old/notes.txt", "F"},
                                      {"README.txt", "G"}, {"gone.dll", "H"}},
                              {"logs", "cache"});
    Manifest next = Make("1.1", {{"Data/level.pak", "ABXD"}, {"game.exe", "E"}, {"old/notes.txt/part", "F"},
                                 {"readme.txt", "G"}, {"new.dll", "HY"}, {"cache/x", "Z"}},
                         {"logs"});
    chunkstore::UpdatePlan plan = chunkstore::PlanUpdate(installed, next);
    EXPECT_EQ(std::vector<std::string>({"game.exe", "logs"}), Paths(next, plan.unchanged));
    EXPECT_EQ(std::vector<std::string>({"Data/level.pak", "cache/x", "new.dll", "old/notes.txt/part", "readme.txt"}),
              Paths(next, plan.changed));
    // A renamed-in-case file is rewritten, not deleted; a folder that gains
    // files stays; a file that becomes a folder goes.
    EXPECT_EQ(std::vector<std::string>({"gone.dll", "old/notes.txt"}), Paths(installed, plan.removed));

    ASSERT_EQ("ABXDZHYFG", Letters(next, plan.chunks));
    std::string fetched;
    for (const auto& chunk : plan.chunks) {
        if (chunk.installedCopies.empty()) fetched += static_cast<char>(next.chunks[chunk.chunk].id[0]);
    }
    EXPECT_EQ("XZY", fetched);
    EXPECT_EQ((1000u + 'X') / 2 + 1 + (1000u + 'Y') / 2 + 1 + (1000u + 'Z') / 2 + 1, plan.bytesToFetch);
    // H is read back from the old gone.dll, which stays until the switch.
    const auto& h = plan.chunks[5];
    ASSERT_EQ(1u, h.installedCopies.size());
    EXPECT_EQ("gone.dll", installed.entries[h.installedCopies[0].entry].path);
    EXPECT_EQ(0u, h.installedCopies[0].offset);
}
