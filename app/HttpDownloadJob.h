#pragma once
#include "DiskSpace.h"
#include "Platform.h"
#include "RateMeter.h"
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
    // The run ends with Stalled rather than start a wait (a read, a reopen)
    // that could end later than this after the body last grew. Bytes sent
    // again after a restart are no growth; any new byte starts the time anew.
    static constexpr DWORD kStallBudgetMs = 120000;

    HttpDownloadJob(HWND target, const std::wstring& url, const std::wstring& filePath, int timeoutMs);
    HttpDownloadJob(const HttpDownloadJob&) = delete;
    HttpDownloadJob& operator=(const HttpDownloadJob&) = delete;

    using ReadFunction = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
    // Lets a test stand in for InternetReadFile to provoke failed reads.
    void SetReadFunction(ReadFunction read) { read_ = read; }
    // Asked before the file is created; null skips the check.
    void SetFreeSpaceQuery(FreeSpaceQuery query) { freeSpace_ = query; }
    // Lets a test prove the stall rule in seconds.
    void SetStallBudget(DWORD ms) { stallBudgetMs_ = ms; }

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
    // Names the version of the file whose bytes are on disk: the ETag, or
    // else Last-Modified, of the response they came from.
    struct Validator {
        DWORD query = 0;  // HTTP_QUERY_ETAG or HTTP_QUERY_LAST_MODIFIED; 0 when there is none
        std::wstring value;
    };
    // Where the body stands across the connections of a run.
    struct Progress {
        uint64_t downloaded = 0;
        uint64_t furthest = 0;  // the most the body has held; only bytes past it are growth
        RateMeter::Clock::time_point lastGrowth;
        WPARAM lastPercent = 0;
        uint64_t receivedOnConnection = 0;
    };
    // What a reopened request allows.
    enum class ReopenOutcome { Append, Restart, Changed, TryAgain, Refused };

    unsigned Transfer();
    unsigned OpenRequest(Connection& c, const std::wstring& headers);
    unsigned QueryHeaders(Connection& c, DWORD& contentLength);
    // The response's validator; none for a weak ETag without Last-Modified.
    Validator QueryValidator(Connection& c);
    // False when the response names another version than `validator`.
    bool SameVersion(Connection& c, const Validator& validator);
    // Reopens after failures; returns the code the run ends with.
    unsigned Resume(unsigned code, HANDLE file, char* buffer, DWORD contentLength, Validator& validator,
                    Progress& progress);
    // Offset 0 asks for the whole body again.
    ReopenOutcome Reopen(Connection& c, uint64_t offset, DWORD contentLength, const Validator& validator);
    // A null file keeps the body in memory.
    unsigned ReadBody(Connection& c, HANDLE file, char* buffer, DWORD contentLength, Progress& progress);
    // False (and logged) when a wait of `waitMs` could end beyond the stall budget.
    bool WithinStallBudget(const Progress& progress, DWORD waitMs);
    // The longest a read may wait; 0 when the platform's defaults apply.
    DWORD ReceiveWaitMs() const;
    DWORD ConnectWaitMs() const;
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
    DWORD stallBudgetMs_ = kStallBudgetMs;
    RateMeter rate_;
    ScopedHandle abandonedEvent_;  // null when it could not be made
    std::mutex postLock_;
    bool abandoned_ = false;  // guarded by postLock_
};
