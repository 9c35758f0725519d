// Times one download of the same URL through CHttpDownloader and through a
// bare WinINet loop with the same 10240-byte buffer, alternating, and prints
// the best time of each and their ratio. Given a second URL that serves the
// same file with cuts, times CHttpDownloader on both instead: the cost of
// resuming.
// Usage: download_bench <url> <output folder> [rounds] [url with cuts]
#include "HttpDownloader.h"
#include "IHttpDownloadEvent.h"
#include "Platform.h"

#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class FinishWaiter : public IHttpDownloadEvent {
public:
    int OnDownloadBegin(int) override { return 0; }
    int OnDownloadProgressChanged(unsigned, int, int) override { return 0; }
    int OnDownloadFinish(unsigned resultCode, void*, int) override {
        code = resultCode;
        finished = true;
        return 0;
    }
    int OnDownloadFileTotalSize(int) override { return 0; }
    bool finished = false;
    unsigned code = 0;
};

// Seconds for one run, or a negative value when it failed.
double TimeDownloader(const std::wstring& url, const std::wstring& path) {
    CHttpDownloader downloader;
    FinishWaiter waiter;
    downloader.AddListener(&waiter);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (downloader.BeginDownload(url.c_str(), path.c_str(), 0, 0) != 0)
        return -1;
    MSG msg;
    while (!waiter.finished && GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    QueryPerformanceCounter(&end);
    return waiter.code == Success ? Seconds(start, end) : -1;
}

double TimeBareLoop(const std::wstring& url, const std::wstring& path) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    wchar_t host[256] = {}, object[2084] = {};
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = ARRAYSIZE(host);
    parts.lpszUrlPath = object;
    parts.dwUrlPathLength = ARRAYSIZE(object);
    if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts))
        return -1;
    HINTERNET session = InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectW(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request =
        HttpOpenRequestW(connection, L"GET", object, L"HTTP/1.1", nullptr, nullptr, INTERNET_FLAG_RELOAD, 0);
    bool ok = request && HttpSendRequestW(request, nullptr, 0, nullptr, 0);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    std::vector<char> buffer(10240);
    DWORD read = 0;
    while (ok && file != INVALID_HANDLE_VALUE && InternetReadFile(request, buffer.data(), 10240, &read) && read) {
        DWORD written = 0;
        ok = WriteFile(file, buffer.data(), read, &written, nullptr) && written == read;
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    for (HINTERNET handle : {request, connection, session}) {
        if (handle)
            InternetCloseHandle(handle);
    }
    QueryPerformanceCounter(&end);
    return ok && file != INVALID_HANDLE_VALUE ? Seconds(start, end) : -1;
}

double Best(double best, double seconds) {
    return best < 0 || (seconds >= 0 && seconds < best) ? seconds : best;
}

// Times `first` and `second` alternately; false when a run failed.
bool Alternate(int rounds, const char* firstName, const std::function<double()>& first, const char* secondName,
               const std::function<double()>& second, double& bestFirst, double& bestSecond) {
    bestFirst = bestSecond = -1;
    for (int round = 0; round < rounds; ++round) {
        double a = first();
        double b = second();
        std::printf("round %d: %s %.3f s, %s %.3f s\n", round + 1, firstName, a, secondName, b);
        if (a < 0 || b < 0)
            return false;
        bestFirst = Best(bestFirst, a);
        bestSecond = Best(bestSecond, b);
    }
    std::printf("best: %s %.3f s, %s %.3f s\n", firstName, bestFirst, secondName, bestSecond);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: download_bench <url> <output folder> [rounds] [url with cuts]\n");
        return 2;
    }
    std::wstring url = argv[1];
    std::wstring folder = argv[2];
    int rounds = argc > 3 ? _wtoi(argv[3]) : 3;
    double a = -1, b = -1;
    if (argc > 4) {
        std::wstring cutUrl = argv[4];
        if (!Alternate(
                rounds, "uninterrupted", [&] { return TimeDownloader(url, folder + L"\\whole.bin"); },
                "resumed after cuts", [&] { return TimeDownloader(cutUrl, folder + L"\\resumed.bin"); }, a, b))
            return 1;
        std::printf("throughput resumed / uninterrupted: %.3f\n", a / b);
        return 0;
    }
    if (!Alternate(
            rounds, "CHttpDownloader", [&] { return TimeDownloader(url, folder + L"\\downloader.bin"); },
            "bare WinINet loop", [&] { return TimeBareLoop(url, folder + L"\\bare.bin"); }, a, b))
        return 1;
    std::printf("CHttpDownloader / bare WinINet time: %.3f\n", a / b);
    return 0;
}
