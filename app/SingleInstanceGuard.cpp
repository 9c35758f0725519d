#include "SingleInstanceGuard.h"

#include "Paths.h"
#include "ScopedHandle.h"
#include "Sha256.h"
#include "TraceLogger.h"

#include <vector>

namespace {

const wchar_t kMutexPrefix[] = L"Local\\KorvaLauncher-";
// Room for any path the platform hands back, long-path prefix included.
constexpr DWORD kPathUnits = 32768;

std::wstring ImageFolderOf(DWORD processId) {
    ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.Valid()) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(kPathUnits);
    DWORD units = kPathUnits;
    if (!QueryFullProcessImageNameW(process.Get(), 0, buffer.data(), &units)) {
        return std::wstring();
    }
    std::wstring image(buffer.data(), units);
    size_t separator = image.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : image.substr(0, separator);
}

}  // namespace

std::wstring SingleInstanceGuard::FolderKey(const std::wstring& folder) {
    std::wstring key = FinalPath(folder);
    if (key.empty()) {
        key = FullPath(folder);
    }
    if (key.empty()) {
        key = folder;
    }
    while (key.size() > 1 && (key.back() == L'\\' || key.back() == L'/')) {
        key.pop_back();
    }
    if (!key.empty()) {
        CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
    }
    return key;
}

std::wstring SingleInstanceGuard::MutexName(const std::wstring& folder) {
    std::string digest;
    if (!Sha256OfText(FolderKey(folder), digest)) {
        return std::wstring();
    }
    return kMutexPrefix + std::wstring(digest.begin(), digest.end());
}

const wchar_t SingleInstanceGuard::kLockFile[] = L".korva-launcher.lock";

SingleInstanceGuard::SingleInstanceGuard(const std::wstring& folder) : folderKey_(FolderKey(folder)) {
    if (ClaimLockFile(folder)) {
        return;
    }
    ClaimSessionMutex(folder);
}

// No sharing at all: any other open of the file fails while this one lasts,
// whichever session or account tries. Read access alone suffices, so a lock
// file that exists can be held even where the folder is read-only to us.
bool SingleInstanceGuard::ClaimLockFile(const std::wstring& folder) {
    const std::wstring path = CombinePath(folder, kLockFile);
    lock_.Reset(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (lock_.Valid()) {
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) {
        anotherIsRunning_ = true;
        return true;
    }
    TRACE_LOG(TRACE_LEVEL_WARNING, L"instance lock file not opened! lasterror:%d, file:%s", static_cast<int>(error),
              path.c_str());
    return false;
}

// For a folder that cannot hold the lock file: launchers of this session at least.
void SingleInstanceGuard::ClaimSessionMutex(const std::wstring& folder) {
    std::wstring name = MutexName(folder);
    if (name.empty()) {
        TRACE_LOG(TRACE_LEVEL_ERROR, L"instance guard not named! folder:%s", folder.c_str());
        return;
    }
    mutex_.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    DWORD error = GetLastError();
    // Access denied: the mutex exists, made by a launcher running under
    // another account in this session.
    anotherIsRunning_ = mutex_.Valid() ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    if (!mutex_.Valid() && !anotherIsRunning_) {
        TRACE_LOG(TRACE_LEVEL_ERROR, L"instance guard not created! lasterror:%d", static_cast<int>(error));
    }
}

// Launchers of other folders share the window class; the owning process's
// folder tells them apart.
HWND SingleInstanceGuard::FindRunningWindow() const {
    const DWORD self = GetCurrentProcessId();
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) != nullptr) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (processId == 0 || processId == self) {
            continue;
        }
        std::wstring folder = ImageFolderOf(processId);
        if (!folder.empty() && FolderKey(folder) == folderKey_) {
            return window;
        }
    }
    return nullptr;
}

bool SingleInstanceGuard::ActivateRunningInstance() const {
    HWND window = FindRunningWindow();
    if (window == nullptr || !IsWindowVisible(window)) {
        return false;
    }
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    return SetForegroundWindow(window) != FALSE;
}
