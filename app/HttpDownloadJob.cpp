#include "HttpDownloadJob.h"

#include "HttpDownloader.h"
#include "InternetConnection.h"
#include "ScopedHandle.h"
#include "TraceLogger.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <chrono>
#include <climits>
#include <exception>
#include <memory>
#include <new>

namespace {

// Every line of a run names the worker's entry point, whichever step writes it.
const wchar_t kWorkerFunction[] = L"CHttpDownloader::DownloadThreadProc";

// The doubling stops here, so a long run of empty reopens never waits minutes.
constexpr int kMaxPauseDoublings = 3;

DWORD ReopenPauseMs(int emptyConnections) {
    if (emptyConnections == 0)
        return HttpDownloadJob::kReopenPauseMs;
    int doublings = emptyConnections - 1 < kMaxPauseDoublings ? emptyConnections - 1 : kMaxPauseDoublings;
    return HttpDownloadJob::kEmptyReopenPauseMs << doublings;
}

bool IsResumable(unsigned code, DWORD contentLength) {
    return (code == ReadFailed || code == Incomplete) && contentLength != 0;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator + 1);
}

bool ParseNumber(const wchar_t*& text, uint64_t& value) {
    if (*text < L'0' || *text > L'9')
        return false;
    value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        if (value > (UINT64_MAX - 9) / 10)
            return false;
        value = value * 10 + static_cast<uint64_t>(*text - L'0');
    }
    return true;
}

// "bytes <first>-<last>/<total>", the only form a 206 to one range may take.
bool ParseContentRange(const wchar_t* text, uint64_t& first, uint64_t& last, uint64_t& total) {
    if (wcsncmp(text, L"bytes ", 6) != 0)
        return false;
    text += 6;
    if (!ParseNumber(text, first) || *text++ != L'-' || !ParseNumber(text, last) || *text++ != L'/' ||
        !ParseNumber(text, total))
        return false;
    return *text == L'\0';
}

}  // namespace

// Declared so that closing runs file, buffer, request, connection, session.
struct HttpDownloadJob::Connection {
    explicit Connection(int timeoutMs) : internet(timeoutMs) {}
    InternetConnection internet;
    ScopedInternetHandle request;
};

HttpDownloadJob::HttpDownloadJob(HWND target, const std::wstring& url, const std::wstring& filePath, int timeoutMs)
    : target_(target),
      url_(url),
      filePath_(filePath),
      timeoutMs_(timeoutMs),
      abandonedEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void HttpDownloadJob::Run() {
    unsigned code = Transfer();
    Post(WM_HTTPDOWNLOAD_FINISH, code, 0);
}

void HttpDownloadJob::Abandon() {
    std::lock_guard<std::mutex> hold(postLock_);
    abandoned_ = true;
    if (abandonedEvent_.Valid())
        SetEvent(abandonedEvent_.Get());
}

bool HttpDownloadJob::PauseUnlessAbandoned(DWORD ms) {
    if (abandonedEvent_.Valid())
        WaitForSingleObject(abandonedEvent_.Get(), ms);
    else
        Sleep(ms);
    return !IsAbandoned();
}

bool HttpDownloadJob::IsAbandoned() {
    std::lock_guard<std::mutex> hold(postLock_);
    return abandoned_;
}

// The check and the post happen under one lock, so once Abandon() returns no
// event of this run can enter the window's queue any more.
void HttpDownloadJob::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> hold(postLock_);
    if (!abandoned_)
        PostMessageW(target_, message, wParam, lParam);
}

unsigned HttpDownloadJob::Transfer() {
    Connection c(timeoutMs_);
    unsigned code = OpenRequest(c, std::wstring());
    if (code != Success)
        return code;

    DWORD contentLength = 0;
    code = QueryHeaders(c, contentLength);
    if (code != Success)
        return code;
    Post(WM_HTTPDOWNLOAD_TOTALSIZE, 0, static_cast<LPARAM>(contentLength));
    Validator validator = QueryValidator(c);

    ScopedHandle file;
    if (!filePath_.empty()) {
        if (!HasRoomFor(freeSpace_, FolderOf(filePath_), contentLength, kWorkerFunction))
            return NoDiskSpace;
        file.Reset(CreateFileW(filePath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"CreateFile failed! lasterror:%d, file:%s",
                         static_cast<int>(GetLastError()), filePath_.c_str());
            return CreateFileFailed;
        }
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBufferBytes]);
    if (!buffer) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"OUT_OF_MEMORY!!");
        return OutOfMemory;
    }
    HANDLE target = file.Valid() ? file.Get() : nullptr;
    Progress progress;
    progress.lastGrowth = RateMeter::Clock::now();
    code = ReadBody(c, target, buffer.get(), contentLength, progress);
    return Resume(code, target, buffer.get(), contentLength, validator, progress);
}

unsigned HttpDownloadJob::Resume(unsigned code, HANDLE file, char* buffer, DWORD contentLength,
                                 Validator& validator, Progress& progress) {
    int emptyConnections = progress.receivedOnConnection == 0 ? 1 : 0;
    for (int reopen = 1; reopen <= kMaxReopens && IsResumable(code, contentLength); ++reopen) {
        const DWORD pause = ReopenPauseMs(emptyConnections);
        if (!WithinStallBudget(progress, pause + ConnectWaitMs() + ReceiveWaitMs()))
            return Stalled;
        if (!PauseUnlessAbandoned(pause))
            return code;
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_WARNING, L"Reopen %d of %d at offset:%I64u, dwContentLen:%u", reopen,
                     kMaxReopens, static_cast<unsigned long long>(progress.downloaded),
                     static_cast<unsigned>(contentLength));
        Connection c(timeoutMs_);
        switch (Reopen(c, progress.downloaded, contentLength, validator)) {
        case ReopenOutcome::Refused:
            return code;
        case ReopenOutcome::TryAgain:
            ++emptyConnections;
            continue;
        case ReopenOutcome::Changed:
            // What is on disk belongs to another version: the next reopen asks for the whole new one.
            if (!StartOver(file))
                return WriteFailed;
            progress.downloaded = 0;
            validator = Validator();
            ++emptyConnections;
            continue;
        case ReopenOutcome::Restart:
            if (!StartOver(file))
                return WriteFailed;
            progress.downloaded = 0;
            validator = QueryValidator(c);
            break;
        case ReopenOutcome::Append:
            break;
        }
        code = ReadBody(c, file, buffer, contentLength, progress);
        emptyConnections = progress.receivedOnConnection == 0 ? emptyConnections + 1 : 0;
    }
    return code;
}

// A request that cannot be sent now may go through later; an answer that
// does not continue the same body ends the run.
HttpDownloadJob::ReopenOutcome HttpDownloadJob::Reopen(Connection& c, uint64_t offset, DWORD contentLength,
                                                       const Validator& validator) {
    std::wstring headers;
    if (offset != 0) {
        headers = L"Range: bytes=" + std::to_wstring(offset) + L"-\r\n";
        if (!validator.value.empty())
            headers += L"If-Range: " + validator.value + L"\r\n";
    }
    if (OpenRequest(c, headers) != Success)
        return ReopenOutcome::TryAgain;
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(c.request.Get(), HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_STATUS_CODE, &status, &size, nullptr))
        return ReopenOutcome::TryAgain;

    DWORD length = 0;
    size = sizeof(length);
    bool hasLength = HttpQueryInfoW(c.request.Get(), HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_CONTENT_LENGTH, &length,
                                    &size, nullptr) != FALSE;
    if (status == 200 && hasLength && length == contentLength)
        return ReopenOutcome::Restart;
    if (status == 206 && offset != 0) {
        wchar_t range[128] = {};
        size = sizeof(range) - sizeof(wchar_t);
        uint64_t first = 0, last = 0, total = 0;
        if (!HttpQueryInfoW(c.request.Get(), HTTP_QUERY_CONTENT_RANGE, range, &size, nullptr) ||
            !ParseContentRange(range, first, last, total) || first != offset || total != contentLength ||
            last < first || last >= total || (hasLength && length != last - first + 1)) {
            TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"Reopen refused! Content-Range:%s", range);
            return ReopenOutcome::Refused;
        }
        // A server that ignores If-Range but honours Range sends the rest of
        // whatever it holds now: the validator tells.
        if (!SameVersion(c, validator)) {
            TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_WARNING, L"Reopen found another version! expected:%s",
                         validator.value.c_str());
            return ReopenOutcome::Changed;
        }
        return ReopenOutcome::Append;
    }
    TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"Reopen refused! dwStatusCode:%d, dwContentLen:%u",
                 static_cast<int>(status), static_cast<unsigned>(hasLength ? length : 0));
    return ReopenOutcome::Refused;
}

bool HttpDownloadJob::StartOver(HANDLE file) {
    if (!file) {
        body.clear();
        return true;
    }
    LARGE_INTEGER start = {};
    if (SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && SetEndOfFile(file))
        return true;
    TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"WriteFile faile, lasterror:%d",
                 static_cast<int>(GetLastError()));
    return false;
}

unsigned HttpDownloadJob::OpenRequest(Connection& c, const std::wstring& headers) {
    unsigned code = c.internet.Connect(url_);
    return code == Success ? c.internet.SendGet(headers, c.request) : code;
}

unsigned HttpDownloadJob::QueryHeaders(Connection& c, DWORD& contentLength) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(c.request.Get(), HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_STATUS_CODE, &status, &size, nullptr))
        return QueryStatusFailed;
    if (status != 200) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"HttpQueryInfo dwStatusCode:%d", static_cast<int>(status));
        return BadStatus;
    }

    size = sizeof(contentLength);
    if (!HttpQueryInfoW(c.request.Get(), HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_CONTENT_LENGTH, &contentLength, &size,
                        nullptr)) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR,
                     L"HttpQueryInfo HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_CONTENT_LENGTH failed! lasterror:%d",
                     static_cast<int>(GetLastError()));
        return NoContentLength;
    }
    if (contentLength > MAX_DOWNLOAD_BYTESIZE) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"dwContentLen > MAX_DOWNLOAD_BYTESIZE, dwContentLen:%d",
                     static_cast<int>(contentLength));
        return TooLarge;
    }
    return Success;
}

// A weak ETag cannot stand in If-Range; a server without either validator
// gets a bare Range, and its Content-Range is then the only check.
HttpDownloadJob::Validator HttpDownloadJob::QueryValidator(Connection& c) {
    for (DWORD query : {HTTP_QUERY_ETAG, HTTP_QUERY_LAST_MODIFIED}) {
        std::wstring value;
        if (!QueryHeaderText(c.request.Get(), query, value) || value.empty())
            continue;
        if (query == HTTP_QUERY_ETAG && value.compare(0, 2, L"W/") == 0)
            continue;
        // The value goes back into a header line of ours.
        if (value.find_first_of(L"\r\n") != std::wstring::npos)
            continue;
        return {query, value};
    }
    return Validator();
}

// A response without the header cannot be told apart; its Content-Range
// already matched.
bool HttpDownloadJob::SameVersion(Connection& c, const Validator& validator) {
    if (validator.query == 0)
        return true;
    std::wstring value;
    if (!QueryHeaderText(c.request.Get(), validator.query, value))
        return true;
    return validator.value == value;
}

bool HttpDownloadJob::WithinStallBudget(const Progress& progress, DWORD waitMs) {
    const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(RateMeter::Clock::now() -
                                                                            progress.lastGrowth)
                          .count();
    if (static_cast<uint64_t>(idle) + waitMs <= stallBudgetMs_)
        return true;
    TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"Download stalled! no new data for %I64d ms, budget:%u ms",
                 static_cast<long long>(idle), static_cast<unsigned>(stallBudgetMs_));
    return false;
}

DWORD HttpDownloadJob::ReceiveWaitMs() const {
    return InternetConnection::ReceiveWaitMs(timeoutMs_);
}

DWORD HttpDownloadJob::ConnectWaitMs() const {
    return InternetConnection::ConnectWaitMs(timeoutMs_);
}

unsigned HttpDownloadJob::ReadBody(Connection& c, HANDLE file, char* buffer, DWORD contentLength,
                                   Progress& progress) {
    uint64_t& downloaded = progress.downloaded;
    progress.receivedOnConnection = 0;
    int failedReads = 0;
    DWORD readError = 0;
    for (;;) {
        if (IsAbandoned())
            return ReadFailed;  // never posted
        std::memset(buffer, 0, kBufferBytes);
        DWORD read = 0;
        BOOL ok = read_(c.request.Get(), buffer, kBufferBytes, &read);
        if (!ok)
            readError = GetLastError();
        // After a read that failed (a time-out, a reset) Wine's WinINet reports
        // the end of the body; short of the announced length it is no end.
        if (!ok || (read == 0 && failedReads > 0 && downloaded < contentLength)) {
            // A connection that fails once every announced byte is in has delivered the body.
            if (contentLength != 0 && downloaded >= contentLength)
                return Success;
            // Bounded: a connection that keeps failing must still end the run.
            if (++failedReads >= kMaxFailedReads) {
                TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"InternetReadFile failed! lasterror:%d",
                             static_cast<int>(readError));
                return ReadFailed;
            }
            if (!WithinStallBudget(progress, kReadRetryPauseMs + ReceiveWaitMs()))
                return Stalled;
            if (!PauseUnlessAbandoned(kReadRetryPauseMs))
                return ReadFailed;  // never posted
            continue;
        }
        failedReads = 0;
        if (read == 0)
            break;

        const RateMeter::Clock::time_point now = RateMeter::Clock::now();
        rate_.Add(read, now);
        downloaded += read;
        progress.receivedOnConnection += read;
        if (downloaded > progress.furthest) {
            progress.furthest = downloaded;
            progress.lastGrowth = now;
        }
        unsigned code = file ? Store(file, buffer, read) : Append(buffer, read);
        if (code != Success)
            return code;

        // After a request that started over, the percentage stays until the
        // body passes the point it had reached.
        if (contentLength != 0) {
            uint64_t percent = downloaded * 100 / contentLength;
            if (percent > 100)
                percent = 100;
            if (percent > progress.lastPercent) {
                progress.lastPercent = static_cast<WPARAM>(percent);
                const uint64_t speed = rate_.BytesPerSecond(now);
                Post(WM_HTTPDOWNLOAD_PROGRESS, progress.lastPercent,
                     static_cast<LPARAM>(speed < INT_MAX ? speed : INT_MAX));
            }
        }
    }

    // A clean end before the announced length is a cut transfer, not a package.
    if (contentLength != 0 && downloaded < contentLength) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"Body ended early! received:%u, dwContentLen:%u",
                     static_cast<unsigned>(downloaded), static_cast<unsigned>(contentLength));
        return Incomplete;
    }
    return Success;
}

unsigned HttpDownloadJob::Store(HANDLE file, const char* data, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr) || written != size) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"WriteFile faile, lasterror:%d",
                     static_cast<int>(GetLastError()));
        return WriteFailed;
    }
    return Success;
}

unsigned HttpDownloadJob::Append(const char* data, DWORD size) {
    try {
        body.append(data, size);
    } catch (const std::exception&) {
        TRACE_LOG_AS(kWorkerFunction, TRACE_LEVEL_ERROR, L"OUT_OF_MEMORY!!");
        return OutOfMemory;
    }
    return Success;
}
