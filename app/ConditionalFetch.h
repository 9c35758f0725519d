#pragma once
#include "Platform.h"

#include <cstddef>
#include <string>

// What an answer carried to name its version of a resource, so that the next
// request can ask whether it changed.
struct HttpValidators {
    std::wstring etag;
    std::wstring lastModified;
};

enum class FetchOutcome {
    NotModified,  // 304: what the validators named is still current
    Fetched,      // 200, with the body
    Unreachable,  // refused, timed out, another status, a body over the limit
};

struct FetchAnswer {
    FetchOutcome outcome = FetchOutcome::Unreachable;
    DWORD status = 0;           // the HTTP status; 0 when none arrived
    std::string body;           // Fetched only
    HttpValidators validators;  // Fetched only: what this answer carried
};

// One GET of `url` asking, with If-None-Match and If-Modified-Since, whether
// what `last` names changed; past every cache. The whole request, from the
// name lookup to the body's last byte, ends within `deadlineMs` whatever the
// host does (WinINet's own time-outs do not bound a host that accepts and
// never answers): it runs on a worker that is left to end on its own when the
// time is up. A body of more than `maxBytes` is refused. Called on any
// thread; the result is the caller's.
FetchAnswer FetchIfChanged(const std::wstring& url, const HttpValidators& last, DWORD deadlineMs, size_t maxBytes);
