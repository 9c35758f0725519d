#pragma once
#include "DiskSpace.h"
#include "Platform.h"

#include <memory>
#include <string>
#include <vector>

class IHttpDownloadEvent;
class HttpDownloadJob;

// Private messages the download worker posts to the downloader's message window.
enum HttpDownloadMessage : UINT {
    WM_HTTPDOWNLOAD_BEGIN = 1624,      // never posted by the worker
    WM_HTTPDOWNLOAD_PROGRESS = 1625,   // wParam: percent 0..100, lParam: bytes per second over the last second
    WM_HTTPDOWNLOAD_FINISH = 1626,     // wParam: HttpDownloadError, lParam: 0 or a new[] buffer freed after the listeners
    WM_HTTPDOWNLOAD_TOTALSIZE = 1628,  // lParam: Content-Length
};

// The result of one download run, the wParam of WM_HTTPDOWNLOAD_FINISH.
enum HttpDownloadError : unsigned {
    Success = 0,
    BadUrl = 1,
    OpenFailed = 2,
    ConnectFailed = 3,
    BadStatus = 4,
    NoContentLength = 5,
    TooLarge = 6,
    QueryStatusFailed = 7,
    SendFailed = 8,
    CreateFileFailed = 9,
    OutOfMemory = 10,
    WriteFailed = 11,
    // Reading the body failed 3 times in a row, 200 ms apart, on the first
    // request and on each of its reopens.
    ReadFailed = 12,
    // The body ended cleanly before the announced Content-Length, and
    // reopening did not bring the rest.
    Incomplete = 13,
    // The target file's volume has less free space than the Content-Length;
    // nothing was written.
    NoDiskSpace = 14,
    // The body stopped growing for longer than the stall budget allows
    // (HttpDownloadJob::kStallBudgetMs), across reads and reopens.
    Stalled = 15,
};

// 1000 MiB; a Content-Length equal to it is accepted.
constexpr DWORD MAX_DOWNLOAD_BYTESIZE = 0x3E800000;

// Fetches one URL with a GET on a worker thread into a file or into memory.
// A body that fails or ends early is asked for again from where it stopped
// (HttpDownloadJob::kMaxReopens). Listeners are called on the thread that
// created the downloader, in the order the worker posted its events; the
// total size comes once, progress only rises, and the finish event is always
// the last one of a run.
class CHttpDownloader {
public:
    // Creates the hidden message-only window on the calling thread.
    CHttpDownloader();
    virtual ~CHttpDownloader();
    CHttpDownloader(const CHttpDownloader&) = delete;
    CHttpDownloader& operator=(const CHttpDownloader&) = delete;

    // Adds a receiver unless it is already registered. Receivers are not owned.
    int AddListener(IHttpDownloadEvent* listener);
    // Starts one run; filePath null keeps the body in memory. 0 when the worker
    // started, 1 when not (the finish event with BadUrl is then on its way).
    int BeginDownload(const wchar_t* url, const wchar_t* filePath, int timeoutMs, int userData);
    // How later runs learn the target volume's free space (QueryFreeDiskSpace
    // by default); null skips the check.
    void SetFreeSpaceQuery(FreeSpaceQuery query) { freeSpace_ = query; }
    // The stall budget of later runs (HttpDownloadJob::kStallBudgetMs by default).
    void SetStallBudget(DWORD ms) { stallBudgetMs_ = ms; }
    // Abandons the current run: waits at most 2000 ms for its worker, which
    // posts nothing more afterwards, and drops its events still queued.
    int Reset();

    // The body of the last finished run made without a file path.
    const std::string& MemoryBody() const { return memoryBody; }
    HWND MessageWindow() const { return window_; }

    static unsigned __stdcall DownloadThreadProc(void* param);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The message map: true when the message was one of the downloader's.
    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnDownloadBegin();
    void OnDownloadProgressChanged(WPARAM wParam, LPARAM lParam);
    void OnDownloadFinish(WPARAM wParam, LPARAM lParam);
    void OnDownloadFileTotalSize(LPARAM lParam);
    void DropQueuedEvents();

    HWND window_ = nullptr;
    std::vector<IHttpDownloadEvent*> listeners;  // not owned
    HANDLE workerThread = nullptr;                // owned
    int userData = 0;
    int timeoutMs = 0;
    std::string memoryBody;
    std::wstring filePath;
    std::wstring url;
    FreeSpaceQuery freeSpace_ = &QueryFreeDiskSpace;
    DWORD stallBudgetMs_;
    // The state the current run shares with its worker; the worker keeps its
    // own reference, so an abandoned worker never touches this object.
    std::shared_ptr<HttpDownloadJob> job_;
};
