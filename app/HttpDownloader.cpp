#include "HttpDownloader.h"

#include "HttpDownloadJob.h"
#include "IHttpDownloadEvent.h"
#include "TextHelpers.h"
#include "TraceLogger.h"

#include <process.h>

#include <exception>

namespace {

constexpr DWORD kWorkerWaitMs = 2000;
constexpr DWORD kMessageWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;

// The message window's class, registered once per process; its name is
// "ATL:" and the address of the class record, as the class has always been named.
struct MessageWindowClass {
    WNDCLASSEXW record = {};
    wchar_t name[40] = {};
    ATOM atom = 0;

    explicit MessageWindowClass(WNDPROC windowProc) {
        FormatWide(name, ARRAYSIZE(name), L"ATL:%p", static_cast<void*>(&record));
        record.cbSize = sizeof(record);
        record.lpfnWndProc = windowProc;
        record.hInstance = GetModuleHandleW(nullptr);
        record.lpszClassName = name;
        atom = RegisterClassExW(&record);
    }
};

// Fixed texts: logging from a handler must not allocate.
const wchar_t kWindowProcFunction[] = L"CHttpDownloader::WindowProc";

void FreeFinishData(LPARAM data) {
    delete[] reinterpret_cast<char*>(data);
}

}  // namespace

CHttpDownloader::CHttpDownloader() : stallBudgetMs_(HttpDownloadJob::kStallBudgetMs) {
    // Function-local statics are initialised once even when threads race.
    static const MessageWindowClass windowClass(&CHttpDownloader::WindowProc);
    if (windowClass.atom == 0)
        return;
    window_ = CreateWindowExW(0, windowClass.name, L"", kMessageWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, HWND_MESSAGE, nullptr, windowClass.record.hInstance, this);
}

CHttpDownloader::~CHttpDownloader() {
    Reset();
    if (window_)
        DestroyWindow(window_);
}

int CHttpDownloader::AddListener(IHttpDownloadEvent* listener) {
    for (IHttpDownloadEvent* known : listeners) {
        if (known == listener)
            return 0;
    }
    listeners.push_back(listener);
    return 0;
}

int CHttpDownloader::BeginDownload(const wchar_t* url, const wchar_t* filePath, int timeoutMs, int userData) {
    TRACE_LOG(TRACE_LEVEL_VERBOSE, L"Enter");
    Reset();
    if (filePath)
        this->filePath = filePath;
    this->url = url ? url : L"";
    this->userData = userData;
    this->timeoutMs = timeoutMs;

    job_ = std::make_shared<HttpDownloadJob>(window_, this->url, this->filePath, timeoutMs);
    job_->SetFreeSpaceQuery(freeSpace_);
    job_->SetStallBudget(stallBudgetMs_);
    auto* workerRef = new std::shared_ptr<HttpDownloadJob>(job_);  // freed by the worker
    uintptr_t thread = _beginthreadex(nullptr, 0, &CHttpDownloader::DownloadThreadProc, workerRef, 0, nullptr);
    if (thread == 0) {
        delete workerRef;
        TRACE_LOG(TRACE_LEVEL_ERROR, L"_beginthreadex failed! lasterror:%d", static_cast<int>(GetLastError()));
        PostMessageW(window_, WM_HTTPDOWNLOAD_FINISH, BadUrl, 0);
        return 1;
    }
    workerThread = reinterpret_cast<HANDLE>(thread);
    TRACE_LOG(TRACE_LEVEL_VERBOSE, L"Leave");
    return 0;
}

int CHttpDownloader::Reset() {
    filePath.clear();
    memoryBody.clear();
    url.clear();
    userData = 0;
    // Abandon first: a worker between two reads then ends at once and lets go
    // of its file instead of using up the whole wait.
    if (job_) {
        job_->Abandon();
        job_.reset();
    }
    if (workerThread) {
        WaitForSingleObject(workerThread, kWorkerWaitMs);
        CloseHandle(workerThread);
        workerThread = nullptr;
    }
    DropQueuedEvents();
    return 0;
}

// Events of an abandoned run still in the queue would reach the listeners as
// the next run's, and its finish would close the next worker's handle.
void CHttpDownloader::DropQueuedEvents() {
    if (!window_)
        return;
    MSG msg;
    while (PeekMessageW(&msg, window_, WM_HTTPDOWNLOAD_BEGIN, WM_HTTPDOWNLOAD_TOTALSIZE, PM_REMOVE)) {
        if (msg.message == WM_HTTPDOWNLOAD_FINISH)
            FreeFinishData(msg.lParam);
    }
}

// Nothing may escape a thread's entry: it would end the process.
unsigned __stdcall CHttpDownloader::DownloadThreadProc(void* param) {
    std::unique_ptr<std::shared_ptr<HttpDownloadJob>> job(static_cast<std::shared_ptr<HttpDownloadJob>*>(param));
    try {
        (*job)->Run();
    } catch (...) {
        TRACE_LOG_AS(L"CHttpDownloader::DownloadThreadProc", TRACE_LEVEL_ERROR, L"download worker failed: exception");
        try {
            (*job)->Post(WM_HTTPDOWNLOAD_FINISH, OutOfMemory, 0);
        } catch (...) {
        }
    }
    return 1;
}

// The shipped 32-bit build unwinds with DWARF-2, which cannot cross the
// system's frames between DispatchMessage and this procedure: an exception
// from a listener must stop here, or the process ends.
LRESULT CALLBACK CHttpDownloader::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleMessage(hwnd, message, wParam, lParam);
    } catch (const std::exception& error) {
        TRACE_LOG_AS(kWindowProcFunction, TRACE_LEVEL_ERROR, L"message %u failed: %hs", message, error.what());
    } catch (...) {
        TRACE_LOG_AS(kWindowProcFunction, TRACE_LEVEL_ERROR, L"message %u failed: unknown exception", message);
    }
    return 0;
}

LRESULT CHttpDownloader::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CHttpDownloader*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (self && self->ProcessWindowMessage(message, wParam, lParam, result))
        return result;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self)
            self->window_ = nullptr;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool CHttpDownloader::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_HTTPDOWNLOAD_BEGIN:
        OnDownloadBegin();
        break;
    case WM_HTTPDOWNLOAD_PROGRESS:
        OnDownloadProgressChanged(wParam, lParam);
        break;
    case WM_HTTPDOWNLOAD_FINISH:
        OnDownloadFinish(wParam, lParam);
        break;
    case WM_HTTPDOWNLOAD_TOTALSIZE:
        OnDownloadFileTotalSize(lParam);
        break;
    default:
        return false;
    }
    result = 0;
    return true;
}

// The listener loops index the vector: a listener may add another one.
void CHttpDownloader::OnDownloadBegin() {
    TRACE_LOG(TRACE_LEVEL_VERBOSE, L"Enter");
    for (size_t i = 0; i < listeners.size(); ++i)
        listeners[i]->OnDownloadBegin(userData);
}

void CHttpDownloader::OnDownloadProgressChanged(WPARAM wParam, LPARAM lParam) {
    TRACE_LOG(TRACE_LEVEL_VERBOSE, L"Enter");
    for (size_t i = 0; i < listeners.size(); ++i)
        listeners[i]->OnDownloadProgressChanged(static_cast<unsigned>(wParam), static_cast<int>(lParam), userData);
}

void CHttpDownloader::OnDownloadFinish(WPARAM wParam, LPARAM lParam) {
    // Freed after the listeners, even when one of them throws.
    std::unique_ptr<char[]> data(reinterpret_cast<char*>(lParam));
    if (workerThread) {
        CloseHandle(workerThread);
        workerThread = nullptr;
    }
    // The worker wrote its last byte before posting this message.
    if (job_)
        memoryBody = std::move(job_->body);
    TRACE_LOG(TRACE_LEVEL_VERBOSE, L"Enter");
    int userDataOfRun = userData;
    for (size_t i = 0; i < listeners.size(); ++i)
        listeners[i]->OnDownloadFinish(static_cast<unsigned>(wParam), data.get(), userDataOfRun);
}

void CHttpDownloader::OnDownloadFileTotalSize(LPARAM lParam) {
    TRACE_LOG(TRACE_LEVEL_VERBOSE, L"Enter");
    for (size_t i = 0; i < listeners.size(); ++i)
        listeners[i]->OnDownloadFileTotalSize(static_cast<int>(lParam));
}
