#include "StoreFetcher.h"

#include "HttpDownloader.h"
#include "TraceLogger.h"

#include <algorithm>
#include <new>

namespace {

const wchar_t kFetchFunction[] = L"StoreFetcher::Fetch";
// A read returns when it is full or the body ends: small reads keep the
// budget's checks close together on a slow line.
constexpr DWORD kReadBytes = 16 * 1024;

}  // namespace

StoreFetcher::StoreFetcher(int timeoutMs, DWORD budgetMs) : internet_(timeoutMs), budgetMs_(budgetMs) {}

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
    FetchResult result = ReadBody(request.Get(), maxBytes, announced, hasLength, body, observer, url);
    if (result == FetchResult::Ok) {
        etag_.clear();
        lastModified_.clear();
        QueryHeaderText(request.Get(), HTTP_QUERY_ETAG, etag_);
        QueryHeaderText(request.Get(), HTTP_QUERY_LAST_MODIFIED, lastModified_);
    }
    return result;
}

// Each read asks for one byte more than the body may still hold: a server
// that sends more is caught without reading far past the limit.
FetchResult StoreFetcher::ReadBody(HINTERNET request, uint64_t maxBytes, DWORD announced, bool hasLength,
                                   std::vector<uint8_t>& body, FetchObserver* observer, const std::wstring& url) {
    const uint64_t limit = hasLength ? announced : maxBytes;
    const DWORD began = GetTickCount();
    try {
        body.reserve(static_cast<size_t>(hasLength ? limit + 1 : std::min<uint64_t>(limit + 1, kReadBytes)));
    } catch (const std::bad_alloc&) {
        return FetchResult::Failed;
    }
    for (;;) {
        if (observer != nullptr && observer->Stopped())
            return FetchResult::Stopped;
        if (GetTickCount() - began > budgetMs_) {
            TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"too slow! %u bytes in %u ms, url:%s",
                         static_cast<unsigned>(body.size()), static_cast<unsigned>(budgetMs_), url.c_str());
            return FetchResult::Failed;
        }
        const size_t at = body.size();
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(kReadBytes, limit + 1 - at));
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
        if (read == 0)
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
    url.erase(url.find_last_of(L'/') + 1);
    // Store names are ASCII (store/FORMAT.md).
    url.append(name.begin(), name.end());
    return url;
}
