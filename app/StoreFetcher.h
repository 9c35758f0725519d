#pragma once
#include "InternetConnection.h"
#include "Platform.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// Watches the fetches of a StoreFetcher, from the fetching thread.
class FetchObserver {
public:
    virtual ~FetchObserver() = default;
    // Body bytes as they arrive, failed fetches included.
    virtual void Received(size_t bytes) = 0;
    // True when the fetch should give up at once.
    virtual bool Stopped() = 0;
};

enum class FetchResult {
    Ok,
    Failed,    // no connection, a status other than 200, a cut, late or slow body
    TooLarge,  // the server announced or sent more than the caller allows
    Stopped,   // the observer asked to stop
};

// Fetches the objects of a chunk store (latest.json, manifests, chunks) over
// WinINet, each into memory and never more than its caller allows, so an
// endless or oversized response cannot exhaust memory. One fetcher per
// thread; it keeps its connection to the store's server between objects.
class StoreFetcher {
public:
    // Reads wait at most `timeoutMs` for the next byte; the body of one fetch
    // takes at most `budgetMs`, so a server that trickles bytes cannot hold
    // it for ever.
    StoreFetcher(int timeoutMs, DWORD budgetMs);
    StoreFetcher(const StoreFetcher&) = delete;
    StoreFetcher& operator=(const StoreFetcher&) = delete;

    // GETs `url` into `body`: at most `maxBytes`, and all the Content-Length
    // announced. `observer` may be null.
    FetchResult Fetch(const std::wstring& url, uint64_t maxBytes, std::vector<uint8_t>& body,
                      FetchObserver* observer);

    // The validators of the last response that was read whole; "" when it had none.
    const std::wstring& ETag() const { return etag_; }
    const std::wstring& LastModified() const { return lastModified_; }

private:
    FetchResult ReadBody(HINTERNET request, uint64_t maxBytes, DWORD announced, bool hasLength,
                         std::vector<uint8_t>& body, FetchObserver* observer, const std::wstring& url);
    // On a timer's thread when a body's budget is spent: closing the request
    // ends the read that waits on it.
    static void CALLBACK OnBudgetSpent(void* fetcher, BOOLEAN);

    InternetConnection internet_;
    const DWORD budgetMs_;
    std::wstring etag_;
    std::wstring lastModified_;
    std::mutex readingLock_;
    HINTERNET reading_ = nullptr;  // guarded by readingLock_; owned while a body is read
    bool overBudget_ = false;      // guarded by readingLock_
};

// The URL of the store object `name` (a name of store/StoreLayout.h): beside
// latest.json, whose URL is `pointerUrl`; its query and fragment are not carried over.
std::wstring StoreObjectUrl(const std::wstring& pointerUrl, std::string_view name);
