#include "DiskSpace.h"

#include "FakeTraceController.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

namespace {

uint64_t fakeFreeBytes = 0;

bool FakeQuery(const std::wstring&, uint64_t& freeBytes) {
    freeBytes = fakeFreeBytes;
    return true;
}

bool FailingQuery(const std::wstring&, uint64_t& freeBytes) {
    freeBytes = 0;
    return false;
}

}  // namespace

TEST(DiskSpace, ThePlatformAnswersForAFolderAndNotForAMissingVolume) {
    uint64_t freeBytes = 0;
    EXPECT_TRUE(QueryFreeDiskSpace(testenv::TempDir(), freeBytes));
    EXPECT_GT(freeBytes, 0u);
    EXPECT_FALSE(QueryFreeDiskSpace(L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\", freeBytes));
}

// Only a volume known to be short stops the caller; the line names both sizes.
TEST(DiskSpace, OnlyAKnownShortfallSaysNoRoom) {
    const struct {
        FreeSpaceQuery query;
        uint64_t freeBytes;
        uint64_t needed;
        bool room;
    } cases[] = {
        {&FakeQuery, 1000, 999, true},
        {&FakeQuery, 1000, 1000, true},
        {&FakeQuery, 1000, 1001, false},
        {&FakeQuery, 0, 0, true},
        {&FakeQuery, 5000000000ull, 5000000001ull, false},
        {&FailingQuery, 0, 1, true},
        {nullptr, 0, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.needed);
        TraceCapture capture;
        fakeFreeBytes = c.freeBytes;
        EXPECT_EQ(c.room, HasRoomFor(c.query, L"C:\\Game", c.needed, L"Test::Caller"));
        std::wstring line = L"Not enough disk space! free:" + std::to_wstring(c.freeBytes) + L", needed:" +
                            std::to_wstring(c.needed) + L", folder:C:\\Game";
        EXPECT_EQ(c.room ? 0u : 1u, capture.CountMessage(line));
        EXPECT_EQ(c.room ? 0u : 1u, capture.Lines().size());
    }
}
