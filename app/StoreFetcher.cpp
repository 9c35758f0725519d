#include "StoreFetcher.h"

#include "HttpDownloader.h"
#include "TraceLogger.h"

#include <algorithm>
#include <new>

namespace {

const wchar_t kFetchFunction[] = L"StoreFetcher::Fetch";
// Room for a body of unknown length is made this much at a time.
constexpr DWORD kPieceBytes = 64 * 1024;

}  // namespace

// A store's objects are static: cookies have no use there, and WinINet
// reads and writes its cookie jar on every request (under Wine that costs
// several milliseconds each).
StoreFetcher::StoreFetcher(int timeoutMs, DWORD budgetMs)
    : internet_(timeoutMs, INTERNET_FLAG_NO_COOKIES), budgetMs_(budgetMs) {}

FetchResult StoreFetcher::Fetch(const std::wstring& url, uint64_t maxBytes, std::vector<uint8_t>& body,
                                FetchObserver* observer) {
    body.clear();
    unsigned code = internet_.Connect(url);
    ScopedInternetHandle request;
    if (code == Success)
        code = internet_.SendGet(std::wstring(), request);
    if (code != Success) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"request failed! code:%u, lasterror:%d, url:%s", code,
                     static_cast<int>(GetLastError()), url.c_str());
        return FetchResult::Failed;
    }
    DWORD status = 0;
    if (!QueryHeaderNumber(request.Get(), HTTP_QUERY_STATUS_CODE, status) || status != 200) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"status:%u, url:%s", static_cast<unsigned>(status),
                     url.c_str());
        return FetchResult::Failed;
    }
    DWORD announced = 0;
    bool hasLength = QueryHeaderNumber(request.Get(), HTTP_QUERY_CONTENT_LENGTH, announced);
    if (hasLength && announced > maxBytes) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"too large! Content-Length:%u, allowed:%I64u, url:%s",
                     static_cast<unsigned>(announced), static_cast<unsigned long long>(maxBytes), url.c_str());
        return FetchResult::TooLarge;
    }

    {
        std::lock_guard<std::mutex> hold(readingLock_);
        reading_ = request.Release();
        overBudget_ = false;
    }
    const HINTERNET reading = reading_;
    HANDLE timer = nullptr;
    if (!CreateTimerQueueTimer(&timer, nullptr, &StoreFetcher::OnBudgetSpent, this, budgetMs_, 0,
                               WT_EXECUTEONLYONCE)) {
        timer = nullptr;  // the receive time-out still ends a silent body
    }
    FetchResult result = ReadBody(reading, maxBytes, announced, hasLength, body, observer, url);
    if (timer != nullptr) {
        DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);  // waits for a callback under way
    }
    std::lock_guard<std::mutex> hold(readingLock_);
    if (overBudget_) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"too slow! %u bytes in %u ms, url:%s",
                     static_cast<unsigned>(body.size()), static_cast<unsigned>(budgetMs_), url.c_str());
        return FetchResult::Failed;
    }
    if (result == FetchResult::Ok) {
        etag_.clear();
        lastModified_.clear();
        QueryHeaderText(reading, HTTP_QUERY_ETAG, etag_);
        QueryHeaderText(reading, HTTP_QUERY_LAST_MODIFIED, lastModified_);
    }
    InternetCloseHandle(reading);
    reading_ = nullptr;
    return result;
}

void CALLBACK StoreFetcher::OnBudgetSpent(void* fetcher, BOOLEAN) {
    StoreFetcher* self = static_cast<StoreFetcher*>(fetcher);
    std::lock_guard<std::mutex> hold(self->readingLock_);
    if (self->reading_ != nullptr) {
        InternetCloseHandle(self->reading_);
        self->reading_ = nullptr;
        self->overBudget_ = true;
    }
}

// A read asks for all the body may still hold and one byte more: a server
// that sends more is caught without reading far past the limit, and the
// read that reaches the body's end hands the connection back to WinINet for
// the next request. One read per object is also the fastest: each call
// costs, under Wine most. Such a read waits for the whole body; the budget's
// timer ends it on a line too slow.
FetchResult StoreFetcher::ReadBody(HINTERNET request, uint64_t maxBytes, DWORD announced, bool hasLength,
                                   std::vector<uint8_t>& body, FetchObserver* observer, const std::wstring& url) {
    const uint64_t limit = hasLength ? announced : maxBytes;
    try {
        body.reserve(static_cast<size_t>(hasLength ? limit + 1 : std::min<uint64_t>(limit + 1, kPieceBytes)));
    } catch (const std::bad_alloc&) {
        return FetchResult::Failed;
    }
    for (;;) {
        if (observer != nullptr && observer->Stopped())
            return FetchResult::Stopped;
        const size_t at = body.size();
        const uint64_t rest = limit + 1 - at;
        const DWORD want = static_cast<DWORD>(hasLength ? rest : std::min<uint64_t>(kPieceBytes, rest));
        try {
            body.resize(at + want);
        } catch (const std::bad_alloc&) {
            return FetchResult::Failed;
        }
        DWORD read = 0;
        BOOL ok = InternetReadFile(request, body.data() + at, want, &read);
        body.resize(at + (ok ? read : 0));
        if (!ok) {
            TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"read failed! lasterror:%d, after %u bytes, url:%s",
                         static_cast<int>(GetLastError()), static_cast<unsigned>(at), url.c_str());
            return FetchResult::Failed;
        }
        if (observer != nullptr && read != 0)
            observer->Received(read);
        if (body.size() > limit) {
            TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"too large! more than %I64u bytes, url:%s",
                         static_cast<unsigned long long>(limit), url.c_str());
            return FetchResult::TooLarge;
        }
        if (read == 0 || (hasLength && body.size() == announced))
            break;
    }
    // A clean end before the announced length is a cut transfer.
    if (hasLength && body.size() != announced) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"body ended early! received:%u, Content-Length:%u, url:%s",
                     static_cast<unsigned>(body.size()), static_cast<unsigned>(announced), url.c_str());
        return FetchResult::Failed;
    }
    return FetchResult::Ok;
}

std::wstring StoreObjectUrl(const std::wstring& pointerUrl, std::string_view name) {
    std::wstring url = pointerUrl.substr(0, pointerUrl.find_first_of(L"?#"));
    const size_t host = url.find(L"://");
    const size_t path = url.find(L'/', host == std::wstring::npos ? 0 : host + 3);
    if (path == std::wstring::npos) {
        url += L'/';  // a server's root
    }
    url.erase(url.find_last_of(L'/') + 1);
    // Store names are ASCII (store/FORMAT.md).
    url.append(name.begin(), name.end());
    return url;
}
