#include "FailureReasons.h"

#include "HttpDownloader.h"

const wchar_t kNoGameUrlReason[] = L"未找到游戏下载地址，请重新下载启动器";
const wchar_t kNoStartPathReason[] = L"未配置游戏启动文件，请重新下载启动器";
const wchar_t kMalformedChecksumReason[] = L"游戏校验值配置错误，请重新下载启动器";
const wchar_t kMalformedStoreKeyReason[] = L"游戏下载配置错误，请重新下载启动器";
const wchar_t kNotWritableReason[] = L"启动器所在文件夹无法写入，请将启动器移到其他文件夹后重新打开";
const wchar_t kOldInstallKeptReason[] = L"旧的游戏文件无法删除，请关闭游戏后重新打开启动器";
const wchar_t kDownloadFailedReason[] = L"游戏下载失败，请检查网络后重新打开启动器";
const wchar_t kNoDiskSpaceReason[] = L"磁盘空间不足，请清理磁盘后重新打开启动器";
const wchar_t kDiskFullReason[] = L"下载时磁盘已满，请清理磁盘后重新打开启动器";
const wchar_t kChecksumFailedReason[] = L"游戏包校验失败，请重新打开启动器";
const wchar_t kInstallFailedReason[] = L"游戏安装失败，请重新打开启动器";
const wchar_t kLaunchFailedReason[] = L"游戏启动失败，请重新打开启动器";
const wchar_t kStoreInvalidReason[] = L"游戏文件清单无效，请稍后重新打开启动器";
const wchar_t kSignatureFailedReason[] = L"游戏版本签名无效，请稍后重新打开启动器";
const wchar_t kRollbackReason[] = L"服务器上的游戏版本比已安装的旧，请稍后重新打开启动器";
const wchar_t kUnsafeGameFolderReason[] = L"游戏文件夹中有指向别处的链接，请删除游戏文件夹后重新打开启动器";

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

const wchar_t* ChunkedInstallFailureReason(ChunkedInstallOutcome outcome) {
    switch (outcome) {
    case ChunkedInstallOutcome::KeyUnusable:
        return kMalformedStoreKeyReason;
    case ChunkedInstallOutcome::Unreachable:
        return kDownloadFailedReason;
    case ChunkedInstallOutcome::StoreInvalid:
        return kStoreInvalidReason;
    case ChunkedInstallOutcome::Unsigned:
    case ChunkedInstallOutcome::SignatureInvalid:
        return kSignatureFailedReason;
    case ChunkedInstallOutcome::Rollback:
        return kRollbackReason;
    case ChunkedInstallOutcome::NotWritable:
        return kNotWritableReason;
    case ChunkedInstallOutcome::OldInstallKept:
        return kOldInstallKeptReason;
    case ChunkedInstallOutcome::NoDiskSpace:
        return kNoDiskSpaceReason;
    case ChunkedInstallOutcome::DiskFull:
        return kDiskFullReason;
    case ChunkedInstallOutcome::Unsafe:
        return kUnsafeGameFolderReason;
    case ChunkedInstallOutcome::ChunkCorrupt:
        return kChecksumFailedReason;
    case ChunkedInstallOutcome::Installed:
    case ChunkedInstallOutcome::Failed:
        break;
    }
    return kInstallFailedReason;
}
