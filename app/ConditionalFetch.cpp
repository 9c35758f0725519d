#include "ConditionalFetch.h"

#include "HttpDownloader.h"
#include "InternetConnection.h"
#include "TraceLogger.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace {

const wchar_t kFetchFunction[] = L"FetchIfChanged";

// What the worker and the waiting caller share; the last one to let go frees it.
struct FetchState {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;  // guarded by lock
    FetchAnswer answer;     // guarded by lock
};

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
    InternetConnection internet(static_cast<int>(timeoutMs));
    ScopedInternetHandle request;
    if (internet.Connect(url) != Success || internet.SendGet(ConditionHeaders(last), request) != Success) {
        TRACE_LOG_AS(kFetchFunction, TRACE_LEVEL_ERROR, L"request not sent! lasterror:%d, url:%s",
                     static_cast<int>(GetLastError()), url.c_str());
        return answer;
    }
    if (!QueryHeaderNumber(request.Get(), HTTP_QUERY_STATUS_CODE, answer.status)) {
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
    QueryHeaderText(request.Get(), HTTP_QUERY_ETAG, answer.validators.etag);
    QueryHeaderText(request.Get(), HTTP_QUERY_LAST_MODIFIED, answer.validators.lastModified);
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
