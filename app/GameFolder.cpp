#include "GameFolder.h"

#include "PackageExtraction.h"
#include "Paths.h"
#include "Platform.h"
#include "ScopedHandle.h"
#include "TraceLogger.h"

// No game ships a file of this name; it is hidden so players leave it be.
const wchar_t kInstallMarkerFile[] = L".korva-install-incomplete";

namespace {

const wchar_t kGameFolder[] = L"Game";
const wchar_t kPackageFile[] = L"GameSetup.zip";
// Beside Game: the old install on its way out.
const wchar_t kAsideFolder[] = L"Game.removing";
const wchar_t kWriteProbeFile[] = L".korva-write-probe";
// The preparation is the first step of the download.
const wchar_t kPrepareFunction[] = L"DownloadInstallManager::DownloadGame";

// A folder under Program Files, say, lets a player without elevation read
// but not write; an old Game folder there cannot even be moved.
bool LauncherFolderTakesFiles(const std::wstring& folder) {
    const std::wstring probe = CombinePath(folder, kWriteProbeFile);
    ScopedHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
    if (!file.Valid()) {
        TRACE_LOG_AS(kPrepareFunction, TRACE_LEVEL_ERROR, L"launcher folder not writable! lasterror:%d, folder:%s",
                     static_cast<int>(GetLastError()), folder.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::wstring GameDir() {
    return CombinePath(GetModuleDir(), kGameFolder);
}

std::wstring GamePackagePath() {
    return CombinePath(GameDir(), kPackageFile);
}

std::wstring GameFilePath(const std::wstring& relative) {
    return CombinePath(GameDir(), relative);
}

bool IsInstallIncomplete(const std::wstring& gameDir) {
    return PathExists(CombinePath(gameDir, kInstallMarkerFile));
}

bool MarkInstallIncomplete(const std::wstring& gameDir, const wchar_t* function) {
    const std::wstring marker = CombinePath(gameDir, kInstallMarkerFile);
    ScopedHandle file(
        CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!file.Valid()) {
        TRACE_LOG_AS(function, TRACE_LEVEL_ERROR, L"install marker not written! lasterror:%d, file:%s",
                     static_cast<int>(GetLastError()), marker.c_str());
        return false;
    }
    return true;
}

bool ClearInstallIncomplete(const std::wstring& gameDir, const wchar_t* function) {
    const std::wstring marker = CombinePath(gameDir, kInstallMarkerFile);
    if (DeleteFileW(marker.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    TRACE_LOG_AS(function, TRACE_LEVEL_ERROR, L"install marker not removed! lasterror:%d, file:%s",
                 static_cast<int>(GetLastError()), marker.c_str());
    return false;
}

// The move is the step that makes the old install unlaunchable: it is one
// rename, so a launcher stopped at any point leaves either the whole old
// folder with its marker (or without its start file) or no Game folder.
GameDirPreparation PrepareGameDir() {
    const std::wstring launcherDir = GetModuleDir();
    if (!LauncherFolderTakesFiles(launcherDir)) {
        return GameDirPreparation::NotWritable;
    }
    const std::wstring dir = GameDir();
    const std::wstring aside = CombinePath(launcherDir, kAsideFolder);
    if (PathExists(aside) && !RemoveGameDir(aside)) {
        return GameDirPreparation::OldInstallKept;
    }
    if (PathExists(dir)) {
        if (!MoveFileExW(dir.c_str(), aside.c_str(), 0)) {
            TRACE_LOG_AS(kPrepareFunction, TRACE_LEVEL_ERROR, L"old install not moved aside! lasterror:%d, folder:%s",
                         static_cast<int>(GetLastError()), dir.c_str());
            return GameDirPreparation::OldInstallKept;
        }
        if (!RemoveGameDir(aside)) {
            return GameDirPreparation::OldInstallKept;
        }
    }
    if (!CreateDirs(dir) && !PathExists(dir)) {
        TRACE_LOG_AS(kPrepareFunction, TRACE_LEVEL_ERROR, L"Game folder not created! folder:%s", dir.c_str());
        return GameDirPreparation::NotWritable;
    }
    return GameDirPreparation::Ready;
}
