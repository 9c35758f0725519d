#pragma once
#include "Platform.h"
#include "ScopedHandle.h"

#include <wininet.h>

#include <string>

struct CloseInternetHandle {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
// A WinINet session, connection or request handle.
using ScopedInternetHandle = ScopedHandleOf<HINTERNET, CloseInternetHandle>;

// The server of an HTTP or HTTPS URL, reached through one WinINet session and
// connection, and the GET requests sent on them. Requests to the same server
// reuse the handles, so WinINet keeps its sockets alive between them. One
// object serves one thread at a time.
class InternetConnection {
public:
    // A host that has not answered by then will not; a longer time-out is
    // meant for reads that wait on a slow link.
    static constexpr DWORD kMaxConnectTimeoutMs = 15000;

    // `timeoutMs` 0 keeps WinINet's defaults; otherwise reads wait at most
    // that long and connects at most kMaxConnectTimeoutMs. `requestFlags`
    // (INTERNET_FLAG_*) are added to every request's.
    explicit InternetConnection(int timeoutMs, DWORD requestFlags = 0)
        : timeoutMs_(timeoutMs), requestFlags_(requestFlags) {}
    InternetConnection(const InternetConnection&) = delete;
    InternetConnection& operator=(const InternetConnection&) = delete;

    // Splits `url` and opens the session and the connection to its server,
    // unless the previous call named the same one. An HttpDownloadError:
    // Success, BadUrl (not HTTP or HTTPS), OpenFailed or ConnectFailed.
    unsigned Connect(const std::wstring& url);
    // Opens a GET of the last URL's path ("/" when it has none) with the
    // extra header lines `headers` and sends it: Success or SendFailed.
    unsigned SendGet(const std::wstring& headers, ScopedInternetHandle& request);

    // The longest a read or a connect waits under `timeoutMs`; 0 when the
    // platform's defaults apply.
    static DWORD ReceiveWaitMs(int timeoutMs) { return static_cast<DWORD>(timeoutMs); }
    static DWORD ConnectWaitMs(int timeoutMs);

private:
    // Results are ignored: a handle that refuses an option keeps its default.
    void ApplyTimeouts(HINTERNET handle) const;

    const int timeoutMs_;
    const DWORD requestFlags_;
    std::wstring server_;  // scheme, credentials, host and port of the open connection
    wchar_t path_[2084] = {};
    bool secure_ = false;
    ScopedInternetHandle session_;
    ScopedInternetHandle connection_;
};

// True when WinINet can split `url` into an HTTP or HTTPS server with a host.
bool IsHttpUrl(const std::wstring& url);
// A response header as text; false when the response has none.
bool QueryHeaderText(HINTERNET request, DWORD query, std::wstring& value);
// A response header as a number (HTTP_QUERY_FLAG_NUMBER); false when absent.
bool QueryHeaderNumber(HINTERNET request, DWORD query, DWORD& value);
