#include "Chunker.h"

#include "StoreLimits.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using chunkstore::Chunker;

namespace {

// Cut positions over a whole buffer, fed as a packer feeds them.
std::vector<size_t> Cuts(const std::string& data, const Chunker& chunker = Chunker()) {
    std::vector<size_t> cuts;
    size_t at = 0;
    while (at < data.size()) {
        at += chunker.NextCut(testkit::BytesOf(data) + at, data.size() - at);
        cuts.push_back(at);
    }
    return cuts;
}

}  // namespace

TEST(Chunker, ChunksStayWithinBoundsAndCoverTheData) {
    for (const std::string& data : {testkit::RandomBytes(3 << 20, 1), testkit::TextLikeBytes(2 << 20, 2),
                                    std::string(1 << 20, '\0'), testkit::RandomBytes(5000, 3)}) {
        std::vector<size_t> cuts = Cuts(data);
        ASSERT_FALSE(cuts.empty());
        EXPECT_EQ(data.size(), cuts.back());
        size_t previous = 0;
        for (size_t i = 0; i < cuts.size(); ++i) {
            size_t length = cuts[i] - previous;
            EXPECT_LE(length, chunkstore::kMaxChunkBytes);
            if (i + 1 < cuts.size()) {
                EXPECT_GE(length, chunkstore::kMinChunkBytes);
            }
            previous = cuts[i];
        }
    }
}

TEST(Chunker, AverageIsNearTheTargetOnRandomData) {
    std::string data = testkit::RandomBytes(24 << 20, 4);
    double average = static_cast<double>(data.size()) / Cuts(data).size();
    EXPECT_GT(average, 0.75 * chunkstore::kAverageChunkBytes);
    EXPECT_LT(average, 1.5 * chunkstore::kAverageChunkBytes);
}

// The point of content-defined chunking: an edit changes only the chunks
// around it. Cuts before the edit stay put; after it they come back shifted
// by the inserted length within a chunk or two.
TEST(Chunker, InsertedBytesMoveOnlyNearbyCuts) {
    const std::string original = testkit::RandomBytes(8 << 20, 5);
    const struct {
        size_t at;
        size_t length;
    } kEdits[] = {{0, 1}, {1000, 1024}, {3 << 20, 7}, {5 << 20, 100000}, {(8 << 20) - 10, 300}};
    std::vector<size_t> before = Cuts(original);
    for (const auto& edit : kEdits) {
        SCOPED_TRACE(std::to_string(edit.at) + " +" + std::to_string(edit.length));
        std::string edited = original;
        edited.insert(edit.at, testkit::RandomBytes(edit.length, 6));
        std::set<size_t> after;
        for (size_t cut : Cuts(edited)) after.insert(cut <= edit.at ? cut : cut - edit.length);
        size_t lost = 0;
        for (size_t cut : before) {
            if (after.count(cut) == 0) ++lost;
        }
        EXPECT_LE(lost, 2u) << "of " << before.size() << " cuts";
    }
}

// A packer reads files in blocks: a cut must not depend on bytes beyond
// the largest chunk, nor on how much more the buffer holds.
TEST(Chunker, CutsDependOnlyOnTheNextMaxBytes) {
    std::string data = testkit::TextLikeBytes(2 << 20, 7) + testkit::RandomBytes(2 << 20, 8);
    Chunker chunker;
    std::vector<size_t> windowed;
    for (size_t at = 0; at < data.size();) {
        size_t window = std::min<size_t>(data.size() - at, chunker.MaxBytes());
        at += chunker.NextCut(testkit::BytesOf(data) + at, window);
        windowed.push_back(at);
    }
    EXPECT_EQ(Cuts(data), windowed);
    // Short inputs are one chunk: no cut below the minimum.
    EXPECT_EQ(std::vector<size_t>{100}, Cuts(data.substr(0, 100)));
    EXPECT_EQ(std::vector<size_t>{chunkstore::kMinChunkBytes}, Cuts(data.substr(0, chunkstore::kMinChunkBytes)));
}
