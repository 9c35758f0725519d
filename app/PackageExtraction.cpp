#include "PackageExtraction.h"

#include "FolderTree.h"
#include "GameFolder.h"
#include "Paths.h"
#include "ScopedHandle.h"
#include "TextHelpers.h"
#include "TraceLogger.h"
#include "WindowMessages.h"
#include "ZipArchive.h"

#include <exception>
#include <filesystem>

namespace {

const wchar_t kDecompressFunction[] = L"DownloadInstallManager::DecompressionGame";
const wchar_t kRemoveFileFunction[] = L"DownloadInstallManager::RemoveFile";
const wchar_t kRemoveDirFunction[] = L"DownloadInstallManager::RemoveDir";

// mini_unzip_dll's type; its codes are listed in minizip/MiniUnzip.h.
using MiniUnzipFunction = int(__cdecl*)(const char* archive, const char* folder);

// The DLL is loaded by its full path beside the executable, never through the
// search order, so a planted minizip.dll elsewhere is never picked up.
int RunMiniUnzip(const std::string& archive, const std::string& folder) {
    std::wstring libraryPath = CombinePath(GetModuleDir(), L"minizip.dll");
    if (libraryPath.empty()) {
        return kUnzipLibraryMissing;
    }
    ScopedLibrary library(LoadLibraryExW(libraryPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library.Valid()) {
        return kUnzipLibraryMissing;
    }
    auto unzip = reinterpret_cast<MiniUnzipFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.Get(), "mini_unzip_dll")));
    if (unzip == nullptr) {
        return kUnzipExportMissing;
    }
    return unzip(archive.c_str(), folder.c_str());
}

}  // namespace

bool UnpackedSize(const std::wstring& archive, uint64_t& bytes) {
    ZipArchive zip;
    if (!zip.Open(archive)) {
        return false;
    }
    bytes = 0;
    for (size_t i = 0; i < zip.EntryCount(); ++i) {
        uint64_t size = zip.UncompressedSize(static_cast<int>(i));
        bytes = size > UINT64_MAX - bytes ? UINT64_MAX : bytes + size;
    }
    return true;
}

bool DecompressGamePackage(HWND mainWindow) {
    std::wstring zip = GamePackagePath();
    std::wstring dir = GameDir();
    if (!PathExists(dir)) {
        CreateDirs(dir);
    }
    if (!PathExists(zip)) {
        return false;
    }
    // Extraction goes ahead without the marker: a folder that cannot take
    // this file will fail the extraction itself.
    MarkInstallIncomplete(dir, kDecompressFunction);
    int result = RunMiniUnzip(WideToAnsi(zip), WideToAnsi(dir));
    bool extracted = result == 0;
    if (!extracted) {
        TRACE_LOG_AS(kDecompressFunction, TRACE_LEVEL_ERROR, L"UnCompress Fail! unZipResult: %d", result);
        TRACE_LOG_AS(kDecompressFunction, TRACE_LEVEL_ERROR, L"UnCompress Fail! dwErr: %d, msg: %s", 0, L"");
    } else {
        ClearInstallIncomplete(dir, kDecompressFunction);
        TRACE_LOG_AS(kDecompressFunction, TRACE_LEVEL_ERROR, L"UnCompress successed!");
        SendMessageW(mainWindow, WM_GAME_UNZIP_DONE, 0, 0);
    }
    RemoveGameFile(zip);
    return extracted;
}

bool RemoveGameFile(const std::wstring& path) {
    try {
        TRACE_LOG_AS(kRemoveFileFunction, TRACE_LEVEL_ERROR, L"RemoveFile is start,file path:%s!", path.c_str());
        if (!PathExists(path)) {
            TRACE_LOG_AS(kRemoveFileFunction, TRACE_LEVEL_ERROR, L"RemoveFile file is not exist path: %s!",
                         path.c_str());
            return false;
        }
        bool ok = DeleteFileW(path.c_str()) != FALSE;
        TRACE_LOG_AS(kRemoveFileFunction, TRACE_LEVEL_ERROR, L"RemoveFile path: %s!", path.c_str());
        TRACE_LOG_AS(kRemoveFileFunction, TRACE_LEVEL_ERROR, L"RemoveFile result: %d!", ok ? 1 : 0);
        return ok;
    } catch (const std::filesystem::filesystem_error&) {
        TRACE_LOG_AS(kRemoveFileFunction, TRACE_LEVEL_ERROR, L"RemoveFile error,path: %s!", path.c_str());
    } catch (const std::exception&) {
        TRACE_LOG_AS(kRemoveFileFunction, TRACE_LEVEL_ERROR, L"RemoveFile error,path: %s!", path.c_str());
    } catch (...) {
        TRACE_LOG_AS(kRemoveFileFunction, TRACE_LEVEL_ERROR, L"RemoveFile error,path: %s!", path.c_str());
    }
    return false;
}

bool RemoveGameDir(const std::wstring& path) {
    try {
        TRACE_LOG_AS(kRemoveDirFunction, TRACE_LEVEL_ERROR, L"remove_all file start!");
        if (RemoveFolderTree(path)) {
            TRACE_LOG_AS(kRemoveDirFunction, TRACE_LEVEL_ERROR, L"remove_all file end!");
            return true;
        }
    } catch (...) {
    }
    TRACE_LOG_AS(kRemoveDirFunction, TRACE_LEVEL_ERROR, L"remove all file error!");
    return false;
}
