#pragma once
#include "Platform.h"

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

    HttpDownloadJob(HWND target, const std::wstring& url, const std::wstring& filePath, int timeoutMs);
    HttpDownloadJob(const HttpDownloadJob&) = delete;
    HttpDownloadJob& operator=(const HttpDownloadJob&) = delete;

    using ReadFunction = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
    // Lets a test stand in for InternetReadFile to provoke failed reads.
    void SetReadFunction(ReadFunction read) { read_ = read; }

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
    unsigned Transfer();
    unsigned OpenRequest(Connection& c);
    // Results are ignored: a handle that refuses an option keeps its default.
    void ApplyTimeouts(HINTERNET handle);
    unsigned QueryHeaders(Connection& c, DWORD& contentLength);
    // A null file keeps the body in memory.
    unsigned ReadBody(Connection& c, HANDLE file, DWORD contentLength);
    unsigned Store(HANDLE file, const char* data, DWORD size);
    unsigned Append(const char* data, DWORD size);
    bool IsAbandoned();

    const HWND target_;
    const std::wstring url_;
    const std::wstring filePath_;
    const int timeoutMs_;
    ReadFunction read_ = &InternetReadFile;
    std::mutex postLock_;
    bool abandoned_ = false;  // guarded by postLock_
};
