#include "InternetConnection.h"

#include "HttpDownloader.h"

unsigned InternetConnection::Connect(const std::wstring& url) {
    wchar_t host[256] = {};
    wchar_t user[128] = {};
    wchar_t password[128] = {};
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = ARRAYSIZE(host);
    parts.lpszUserName = user;
    parts.dwUserNameLength = ARRAYSIZE(user);
    parts.lpszPassword = password;
    parts.dwPasswordLength = ARRAYSIZE(password);
    parts.lpszUrlPath = path_;
    parts.dwUrlPathLength = ARRAYSIZE(path_);
    if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts))
        return BadUrl;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return BadUrl;
    secure_ = parts.nScheme == INTERNET_SCHEME_HTTPS;

    std::wstring server = std::to_wstring(parts.nScheme) + L"|" + user + L"|" + password + L"|" + host + L"|" +
                          std::to_wstring(parts.nPort);
    if (connection_.Get() && server == server_)
        return Success;
    connection_.Close();
    session_.Reset(InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session_.Get())
        return OpenFailed;
    ApplyTimeouts(session_.Get());

    // An empty name means none: WinINet would otherwise try to authenticate.
    connection_.Reset(InternetConnectW(session_.Get(), host, parts.nPort, user[0] ? user : nullptr,
                                       password[0] ? password : nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection_.Get())
        return ConnectFailed;
    server_ = server;
    return Success;
}

unsigned InternetConnection::SendGet(const std::wstring& headers, ScopedInternetHandle& request) {
    // Without NO_CACHE_WRITE WinINet keeps a second copy of every body in the
    // user's internet cache.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | requestFlags_;
    if (secure_)
        flags |= INTERNET_FLAG_SECURE;
    const wchar_t* object = path_[0] ? path_ : L"/";
    request.Reset(HttpOpenRequestW(connection_.Get(), L"GET", object, L"HTTP/1.1", nullptr, nullptr, flags, 0));
    if (!request.Get())
        return SendFailed;
    // Some WinINet builds (Wine's) do not pass the session's time-outs on to
    // its requests; a stalled body would then block a read for ever.
    ApplyTimeouts(request.Get());
    if (!HttpSendRequestW(request.Get(), headers.empty() ? nullptr : headers.c_str(),
                          static_cast<DWORD>(headers.size()), nullptr, 0))
        return SendFailed;
    return Success;
}

DWORD InternetConnection::ConnectWaitMs(int timeoutMs) {
    return ReceiveWaitMs(timeoutMs) < kMaxConnectTimeoutMs ? ReceiveWaitMs(timeoutMs) : kMaxConnectTimeoutMs;
}

void InternetConnection::ApplyTimeouts(HINTERNET handle) const {
    if (timeoutMs_ == 0)
        return;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
        DWORD value = option == INTERNET_OPTION_CONNECT_TIMEOUT ? ConnectWaitMs(timeoutMs_) : ReceiveWaitMs(timeoutMs_);
        InternetSetOptionW(handle, option, &value, sizeof(value));
    }
}

bool IsHttpUrl(const std::wstring& url) {
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;  // asks for the host's place in `url` only
    return InternetCrackUrlW(url.c_str(), 0, 0, &parts) &&
           (parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_HTTPS) &&
           parts.dwHostNameLength > 0;
}

bool QueryHeaderText(HINTERNET request, DWORD query, std::wstring& value) {
    wchar_t text[256] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (!HttpQueryInfoW(request, query, text, &size, nullptr))
        return false;
    value = text;
    return true;
}

bool QueryHeaderNumber(HINTERNET request, DWORD query, DWORD& value) {
    DWORD size = sizeof(value);
    return HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}
