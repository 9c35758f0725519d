#pragma once
#include "DiskSpace.h"
#include "Platform.h"
#include "ScopedHandle.h"

#include <wininet.h>

#include <cstdint>
#include <mutex>
#include <string>

// One download run: the request as it stood when the run began and the
// transfer the worker thread performs for it. Shared by the downloader and
// its worker, so a worker the downloader gave up on stays valid until it ends.
class HttpDownloadJob {
public:
    static constexpr DWORD kBufferBytes = 10240;
    // The run gives up with ReadFailed at this many failed reads in a row,
    // each retry following the last failure after the pause.
    static constexpr int kMaxFailedReads = 3;
    static constexpr DWORD kReadRetryPauseMs = 200;
    // When the body fails that way or ends before its Content-Length, the run
    // asks again for the rest ("Range: bytes=N-") up to this many times.
    // Each reopen gets its own kMaxFailedReads.
    static constexpr int kMaxReopens = 5;
    // The pause before a reopen: short after a connection that brought data
    // (the line works; the server or a proxy cut it), longer and doubling
    // with every connection in a row that brought none.
    static constexpr DWORD kReopenPauseMs = 50;
    static constexpr DWORD kEmptyReopenPauseMs = 250;

    HttpDownloadJob(HWND target, const std::wstring& url, const std::wstring& filePath, int timeoutMs);
    HttpDownloadJob(const HttpDownloadJob&) = delete;
    HttpDownloadJob& operator=(const HttpDownloadJob&) = delete;

    using ReadFunction = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
    // Lets a test stand in for InternetReadFile to provoke failed reads.
    void SetReadFunction(ReadFunction read) { read_ = read; }
    // Asked before the file is created; null skips the check.
    void SetFreeSpaceQuery(FreeSpaceQuery query) { freeSpace_ = query; }

    // Runs the whole transfer on the worker thread and posts its finish event.
    void Run();
    // Called on the downloader's thread: from now on the run posts nothing.
    void Abandon();
    // Posts to the downloader's window unless the run was abandoned.
    void Post(UINT message, WPARAM wParam, LPARAM lParam);

    // Filled by the worker when there is no file; read by the downloader's
    // thread only after the finish event arrived.
    std::string body;

private:
    struct Connection;
    // Where the body stands across the connections of a run.
    struct Progress {
        uint64_t downloaded = 0;
        WPARAM lastPercent = 0;
        uint64_t receivedOnConnection = 0;
    };
    // What a reopened request allows.
    enum class ReopenOutcome { Append, Restart, TryAgain, Refused };

    unsigned Transfer();
    unsigned OpenRequest(Connection& c, const std::wstring& headers);
    // Results are ignored: a handle that refuses an option keeps its default.
    void ApplyTimeouts(HINTERNET handle);
    unsigned QueryHeaders(Connection& c, DWORD& contentLength);
    // The ETag, or else Last-Modified, that a reopen names in If-Range; "" when neither can.
    std::wstring QueryValidator(Connection& c);
    // Reopens after failures; returns the code the run ends with.
    unsigned Resume(unsigned code, HANDLE file, char* buffer, DWORD contentLength, const std::wstring& validator,
                    Progress& progress);
    ReopenOutcome Reopen(Connection& c, uint64_t offset, DWORD contentLength, const std::wstring& validator);
    // A null file keeps the body in memory.
    unsigned ReadBody(Connection& c, HANDLE file, char* buffer, DWORD contentLength, Progress& progress);
    unsigned Store(HANDLE file, const char* data, DWORD size);
    unsigned Append(const char* data, DWORD size);
    // Empties the file or the memory body for a request that starts over.
    bool StartOver(HANDLE file);
    bool IsAbandoned();
    // Waits, or less once the run is abandoned; false when it is.
    bool PauseUnlessAbandoned(DWORD ms);

    const HWND target_;
    const std::wstring url_;
    const std::wstring filePath_;
    const int timeoutMs_;
    ReadFunction read_ = &InternetReadFile;
    FreeSpaceQuery freeSpace_ = nullptr;
    ScopedHandle abandonedEvent_;  // null when it could not be made
    std::mutex postLock_;
    bool abandoned_ = false;  // guarded by postLock_
};
