#include "FailureReasons.h"

#include "HttpDownloader.h"

#include <gtest/gtest.h>

#include <string>

// Each download failure tells the player what would help: the network, the
// disk, or the folder the launcher sits in.
TEST(FailureReasons, EachDownloadFailureHasTheReasonThatHelps) {
    const std::wstring network = L"游戏下载失败，请检查网络后重新打开启动器";
    const struct {
        unsigned code;
        std::wstring reason;
    } cases[] = {
        {NoDiskSpace, L"磁盘空间不足，请清理磁盘后重新打开启动器"},
        {WriteFailed, L"下载时磁盘已满，请清理磁盘后重新打开启动器"},
        {CreateFileFailed, L"启动器所在文件夹无法写入，请将启动器移到其他文件夹后重新打开"},
        {Stalled, network},
        {BadStatus, network},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(c.reason, DownloadFailureReason(c.code));
    }
}
