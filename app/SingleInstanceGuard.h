#pragma once
#include "Platform.h"
#include "ScopedHandle.h"

#include <string>

// One launcher at a time per folder: two launchers beside one Game folder
// would remove, download and unpack it over each other. The claim is the
// folder's own lock file held open without sharing, which holds across
// sessions and accounts; a folder that cannot hold it falls back to a named
// mutex of the session whose name derives from the folder. Launchers in
// other folders run freely. The claim lasts as long as the object, or the
// process.
class SingleInstanceGuard {
public:
    // The main window's class, by which the running launcher is found.
    static constexpr const wchar_t* kMainWindowClass = L"DemoClass";
    // Hidden, in the claimed folder; left in place when the claim ends.
    static const wchar_t kLockFile[];

    // Claims `folder` (the executable's folder) for this process.
    explicit SingleInstanceGuard(const std::wstring& folder);
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // True when a launcher of the same folder held the claim first. When the
    // claim cannot be made at all, the launcher runs: no guard beats none.
    bool AnotherIsRunning() const { return anotherIsRunning_; }
    // Brings the running launcher's main window to the front, if it is shown;
    // true when it did. A hidden one is on its way out and is left alone.
    bool ActivateRunningInstance() const;

    // "Local\KorvaLauncher-" and the SHA-256 of the folder's canonical path
    // in upper case: any folder name gives a valid name of fixed length.
    static std::wstring MutexName(const std::wstring& folder);
    // The folder's path with links and short names resolved where the
    // platform can, in upper case; two spellings of one folder give one key.
    static std::wstring FolderKey(const std::wstring& folder);

private:
    // True when the lock file decided the claim either way.
    bool ClaimLockFile(const std::wstring& folder);
    void ClaimSessionMutex(const std::wstring& folder);
    HWND FindRunningWindow() const;

    std::wstring folderKey_;
    ScopedHandle lock_;
    ScopedHandle mutex_;
    bool anotherIsRunning_ = false;
};
