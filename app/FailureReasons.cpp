#include "FailureReasons.h"

#include "HttpDownloader.h"

const wchar_t kNoGameUrlReason[] = L"未找到游戏下载地址，请重新下载启动器";
const wchar_t kNoStartPathReason[] = L"未配置游戏启动文件，请重新下载启动器";
const wchar_t kMalformedChecksumReason[] = L"游戏校验值配置错误，请重新下载启动器";
const wchar_t kNotWritableReason[] = L"启动器所在文件夹无法写入，请将启动器移到其他文件夹后重新打开";
const wchar_t kOldInstallKeptReason[] = L"旧的游戏文件无法删除，请关闭游戏后重新打开启动器";
const wchar_t kDownloadFailedReason[] = L"游戏下载失败，请检查网络后重新打开启动器";
const wchar_t kNoDiskSpaceReason[] = L"磁盘空间不足，请清理磁盘后重新打开启动器";
const wchar_t kDiskFullReason[] = L"下载时磁盘已满，请清理磁盘后重新打开启动器";
const wchar_t kChecksumFailedReason[] = L"游戏包校验失败，请重新打开启动器";
const wchar_t kInstallFailedReason[] = L"游戏安装失败，请重新打开启动器";
const wchar_t kLaunchFailedReason[] = L"游戏启动失败，请重新打开启动器";

const wchar_t* DownloadFailureReason(unsigned code) {
    switch (code) {
    case NoDiskSpace:
        return kNoDiskSpaceReason;
    case WriteFailed:
        return kDiskFullReason;
    case CreateFileFailed:
        return kNotWritableReason;
    default:
        return kDownloadFailedReason;
    }
}
