#include "ConditionalFetch.h"

#include "ScopedHandle.h"
#include "TraceLogger.h"

#include <wininet.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace {

const wchar_t kFetchFunction[] = L"FetchIfChanged";

struct CloseInternetHandle {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using ScopedInternetHandle = ScopedHandleOf<HINTERNET, CloseInternetHandle>;

// What the worker and the waiting caller share; the last one to let go frees it.
struct FetchState {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;  // guarded by lock
    FetchAnswer answer;     // guarded by lock
};

std::wstring QueryText(HINTERNET request, DWORD query) {
    wchar_t value[512] = {};
    DWORD size = sizeof(value);
    if (!HttpQueryInfoW(request, query, value, &size, nullptr)) {
        return std::wstring();
    }
    return value;
}

std::wstring ConditionHeaders(const HttpValidators& last) {
    std::wstring headers;
    if (!last.etag.empty()) {
        headers += L"If-None-Match: " + last.etag + L"\r\n";
    }
    if (!last.lastModified.empty()) {
        headers += L"If-Modified-Since: " + last.lastModified + L"\r\n";
    }
    return headers;
}

void ApplyTimeouts(HINTERNET handle, DWORD ms) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(handle, option, &ms, sizeof(ms));
    }
}

bool ReadBody(HINTERNET request, size_t maxBytes, std::string& body) {
    char buffer[8192];
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request, buffer, sizeof(buffer), &read)) {
            TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"read failed! lasterror:%d",
                         static_cast<int>(GetLastError()));
            return false;
        }
        if (read == 0) {
            return true;
        }
        if (body.size() + read > maxBytes) {
            TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"answer longer than %u bytes!",
                         static_cast<unsigned>(maxBytes));
            return false;
        }
        body.append(buffer, read);
    }
}

// The request itself, on the worker.
FetchAnswer Fetch(const std::wstring& url, const HttpValidators& last, DWORD timeoutMs, size_t maxBytes) {
    FetchAnswer answer;
    wchar_t host[256] = {};
    wchar_t path[2084] = {};
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = ARRAYSIZE(host);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = ARRAYSIZE(path);
    if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"not an http(s) url! url:%s", url.c_str());
        return answer;
    }
    ScopedInternetHandle session(InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session.Valid()) {
        return answer;
    }
    ApplyTimeouts(session.Get(), timeoutMs);
    ScopedInternetHandle connection(
        InternetConnectW(session.Get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.Valid()) {
        return answer;
    }
    // Past WinINet's cache in both directions: a cached copy would hide a
    // new version, and WinINet would answer a 304 with it as a 200.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                  INTERNET_FLAG_NO_UI;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) {
        flags |= INTERNET_FLAG_SECURE;
    }
    ScopedInternetHandle request(
        HttpOpenRequestW(connection.Get(), L"GET", path[0] ? path : L"/", L"HTTP/1.1", nullptr, nullptr, flags, 0));
    if (!request.Valid()) {
        return answer;
    }
    ApplyTimeouts(request.Get(), timeoutMs);
    const std::wstring headers = ConditionHeaders(last);
    if (!HttpSendRequestW(request.Get(), headers.empty() ? nullptr : headers.c_str(),
                          static_cast<DWORD>(headers.size()), nullptr, 0)) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"request not sent! lasterror:%d, url:%s",
                     static_cast<int>(GetLastError()), url.c_str());
        return answer;
    }
    DWORD size = sizeof(answer.status);
    if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_STATUS_CODE, &answer.status, &size,
                        nullptr)) {
        return answer;
    }
    if (answer.status == HTTP_STATUS_NOT_MODIFIED) {
        answer.outcome = FetchOutcome::NotModified;
        return answer;
    }
    if (answer.status != HTTP_STATUS_OK) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"status:%u, url:%s", static_cast<unsigned>(answer.status),
                     url.c_str());
        return answer;
    }
    if (!ReadBody(request.Get(), maxBytes, answer.body)) {
        answer.body.clear();
        return answer;
    }
    answer.validators.etag = QueryText(request.Get(), HTTP_QUERY_ETAG);
    answer.validators.lastModified = QueryText(request.Get(), HTTP_QUERY_LAST_MODIFIED);
    answer.outcome = FetchOutcome::Fetched;
    return answer;
}

}  // namespace

FetchAnswer FetchIfChanged(const std::wstring& url, const HttpValidators& last, DWORD deadlineMs, size_t maxBytes) {
    std::shared_ptr<FetchState> state;
    try {
        state = std::make_shared<FetchState>();
        std::thread([state, url, last, deadlineMs, maxBytes] {
            FetchAnswer answer;
            try {
                answer = Fetch(url, last, deadlineMs, maxBytes);
            } catch (const std::exception& error) {
                TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"fetch failed: %hs", error.what());
                answer = FetchAnswer();
            }
            std::lock_guard<std::mutex> hold(state->lock);
            state->answer = std::move(answer);
            state->finished = true;
            state->done.notify_all();
        }).detach();
    } catch (const std::exception& error) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"fetch not started: %hs", error.what());
        return FetchAnswer();
    }
    std::unique_lock<std::mutex> hold(state->lock);
    if (!state->done.wait_for(hold, std::chrono::milliseconds(deadlineMs), [&state] { return state->finished; })) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"no answer within %u ms! url:%s",
                     static_cast<unsigned>(deadlineMs), url.c_str());
        return FetchAnswer();
    }
    return std::move(state->answer);
}
