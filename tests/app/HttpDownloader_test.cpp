#include "HttpDownloader.h"

#include "HttpDownloadJob.h"

#include "FakeTraceController.h"
#include "IHttpDownloadEvent.h"
#include "Platform.h"
#include "TestEnv.h"
#include "TextHelpers.h"

#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace {

enum class Kind { Begin, Progress, Finish, TotalSize };

struct Event {
    Kind kind;
    unsigned value;   // percent, result code or total bytes
    int speed;        // progress only
    int userData;     // not for total size
    DWORD threadId;
};

class Recorder : public IHttpDownloadEvent {
public:
    int OnDownloadBegin(int userData) override { return Add({Kind::Begin, 0, 0, userData, 0}); }
    int OnDownloadProgressChanged(unsigned percent, int bytesPerSecond, int userData) override {
        return Add({Kind::Progress, percent, bytesPerSecond, userData, 0});
    }
    int OnDownloadFinish(unsigned resultCode, void*, int userData) override {
        return Add({Kind::Finish, resultCode, 0, userData, 0});
    }
    int OnDownloadFileTotalSize(int totalBytes) override {
        return Add({Kind::TotalSize, static_cast<unsigned>(totalBytes), 0, 0, 0});
    }

    size_t Count(Kind kind) const {
        size_t n = 0;
        for (const Event& e : events)
            n += e.kind == kind;
        return n;
    }
    // The result code of the first finish event.
    unsigned Code() const {
        for (const Event& e : events) {
            if (e.kind == Kind::Finish)
                return e.value;
        }
        return ~0u;
    }
    unsigned LastPercent() const {
        unsigned percent = 0;
        for (const Event& e : events) {
            if (e.kind == Kind::Progress)
                percent = e.value;
        }
        return percent;
    }

    std::vector<Event> events;
    std::function<void(const Event&)> onEvent;

private:
    int Add(Event e) {
        e.threadId = GetCurrentThreadId();
        events.push_back(e);
        if (onEvent)
            onEvent(e);
        return 0;
    }
};

// Dispatches this thread's messages until `done` holds; false after the
// safety limit (a hung run, never a timing check).
bool PumpUntil(const std::function<bool()>& done, ULONGLONG limitMs = 60000) {
    ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount64() >= end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void PumpFor(ULONGLONG ms) {
    PumpUntil([] { return false; }, ms);
}

std::wstring Url(const std::wstring& path) {
    return L"http://127.0.0.1:" + testenv::Var(L"HTTP_TEST_PORT") + path;
}

std::string Served(const wchar_t* name) {
    return testenv::ReadFileBytes(testenv::TempDir() + L"\\www\\" + name);
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What every run must look like, whatever its outcome.
void ExpectWellFormedRun(const Recorder& recorder, int userData = 7) {
    ASSERT_FALSE(recorder.events.empty());
    EXPECT_EQ(1u, recorder.Count(Kind::Finish));
    EXPECT_EQ(Kind::Finish, recorder.events.back().kind);
    EXPECT_LE(recorder.Count(Kind::TotalSize), 1u);
    EXPECT_LE(recorder.Count(Kind::Progress), 101u);
    bool sawTotal = false;
    unsigned lastPercent = 0;
    for (const Event& e : recorder.events) {
        EXPECT_EQ(GetCurrentThreadId(), e.threadId);
        if (e.kind == Kind::TotalSize)
            sawTotal = true;
        if (e.kind == Kind::Progress) {
            EXPECT_TRUE(sawTotal) << "progress before the total size";
            EXPECT_GT(e.value, lastPercent);
            EXPECT_LE(e.value, 100u);
            EXPECT_GE(e.speed, 0);
            lastPercent = e.value;
        }
        if (e.kind != Kind::TotalSize) {
            EXPECT_EQ(userData, e.userData);
        }
    }
}

struct RunResult {
    Recorder recorder;
    std::string memoryBody;
};

// One run on this thread, pumped to its finish and a little beyond so that a
// stray event after the finish would be recorded too; checked for its shape.
void Download(RunResult& run, const std::wstring& url, const wchar_t* filePath, int timeoutMs = 0,
              int userData = 7, FreeSpaceQuery freeSpace = &QueryFreeDiskSpace) {
    CHttpDownloader downloader;
    ASSERT_NE(nullptr, downloader.MessageWindow());
    downloader.SetFreeSpaceQuery(freeSpace);
    downloader.AddListener(&run.recorder);
    ASSERT_EQ(0, downloader.BeginDownload(url.c_str(), filePath, timeoutMs, userData));
    ASSERT_TRUE(PumpUntil([&] { return run.recorder.Count(Kind::Finish) > 0; }));
    PumpFor(200);
    run.memoryBody = downloader.MemoryBody();
    ExpectWellFormedRun(run.recorder, userData);
}

// A target path in a new folder of its own.
std::wstring TargetIn(const wchar_t* folder) {
    return testenv::MakeTempSubdir(folder) + L"\\out.bin";
}

bool HasWorkerLine(const TraceCapture& capture, const std::wstring& message) {
    for (const std::wstring& line : capture.Lines()) {
        if (TraceMessage(line) == message)
            return TraceFunction(line) == L"CHttpDownloader::DownloadThreadProc";
    }
    return false;
}

size_t ErrorLineCount(const TraceCapture& capture) {
    size_t n = 0;
    for (const TraceRecord& record : capture.Records())
        n += record.level <= TRACE_LEVEL_ERROR;
    return n;
}

}  // namespace

TEST(HttpDownloaderTransfer, FileArrivesByteIdenticalWithOrderedEvents) {
    TraceCapture capture;
    std::wstring path = testenv::MakeTempSubdir(L"ok") + L"\\package.bin";
    testenv::WriteFileBytes(path, std::string(5000000, 'x'));  // an existing file is truncated
    RunResult run;
    Download(run, Url(L"/files/package.bin"), path.c_str());
    std::string served = Served(L"package.bin");
    EXPECT_EQ(Success, run.recorder.Code());
    EXPECT_EQ(100u, run.recorder.LastPercent());
    ASSERT_EQ(1u, run.recorder.Count(Kind::TotalSize));
    EXPECT_EQ(served.size(), run.recorder.events.front().value);
    EXPECT_EQ(Kind::TotalSize, run.recorder.events.front().kind);
    EXPECT_TRUE(testenv::ReadFileBytes(path) == served) << "the file on disk differs from the served one";
    EXPECT_TRUE(run.memoryBody.empty());
    EXPECT_EQ(0u, ErrorLineCount(capture));

    // Each handled message names its handler.
    size_t handlerLines = 0;
    for (const std::wstring& line : capture.Lines()) {
        std::wstring function = TraceFunction(line);
        if (function == L"CHttpDownloader::OnDownloadProgressChanged" || function == L"CHttpDownloader::OnDownloadFinish" ||
            function == L"CHttpDownloader::OnDownloadFileTotalSize") {
            EXPECT_EQ(L"Enter", TraceMessage(line));
            ++handlerLines;
        }
    }
    EXPECT_EQ(run.recorder.events.size(), handlerLines);
}

TEST(HttpDownloaderTransfer, PackageLeavesNoCopyInTheInternetCache) {
    std::wstring path = testenv::MakeTempSubdir(L"nocache") + L"\\small.bin";
    std::wstring url = Url(L"/files/small.bin");
    RunResult run;
    Download(run, url, path.c_str());
    ASSERT_EQ(Success, run.recorder.Code());
    DWORD size = 0;
    EXPECT_FALSE(GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError()) << "the package was cached";
}

TEST(HttpDownloaderTransfer, RedirectIsFollowed) {
    std::wstring path = testenv::MakeTempSubdir(L"redirect") + L"\\small.bin";
    RunResult run;
    Download(run, Url(L"/redirect/small.bin"), path.c_str());
    EXPECT_EQ(Success, run.recorder.Code());
    EXPECT_TRUE(testenv::ReadFileBytes(path) == Served(L"small.bin"));
}

TEST(HttpDownloaderTransfer, NullPathCollectsTheBodyInMemory) {
    RunResult run;
    Download(run, Url(L"/files/small.bin"), nullptr);
    EXPECT_EQ(Success, run.recorder.Code());
    EXPECT_EQ(100u, run.recorder.LastPercent());
    EXPECT_TRUE(run.memoryBody == Served(L"small.bin"));
}

TEST(HttpDownloaderTransfer, EmptyBodySucceedsWithoutProgress) {
    std::wstring path = testenv::MakeTempSubdir(L"empty") + L"\\empty.bin";
    RunResult run;
    Download(run, Url(L"/files/empty.bin"), path.c_str());
    EXPECT_EQ(Success, run.recorder.Code());
    EXPECT_EQ(0u, run.recorder.Count(Kind::Progress));
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(testenv::ReadFileBytes(path).empty());
}

TEST(HttpDownloaderFailure, UrlsThatAreNotHttpFailWithoutATraceLine) {
    for (const wchar_t* url : {L"ftp://127.0.0.1/file.bin", L"not a url at all", L""}) {
        TraceCapture capture;
        RunResult run;
        Download(run, url, nullptr);
        EXPECT_EQ(BadUrl, run.recorder.Code()) << url;
        EXPECT_EQ(1u, run.recorder.events.size()) << url;
        EXPECT_EQ(0u, ErrorLineCount(capture)) << url;
    }
}

TEST(HttpDownloaderFailure, ClosedPortFailsBeforeAnyHeader) {
    // The platform connects lazily, so a refused connection surfaces when the
    // request is sent.
    RunResult run;
    Download(run, L"http://127.0.0.1:1/files/small.bin", nullptr);
    EXPECT_EQ(SendFailed, run.recorder.Code());
    EXPECT_EQ(1u, run.recorder.events.size());
}

TEST(HttpDownloaderFailure, StatusOtherThan200IsTracedAndCreatesNoFile) {
    for (int status : {404, 500}) {
        TraceCapture capture;
        std::wstring path = TargetIn((L"status" + std::to_wstring(status)).c_str());
        RunResult run;
        Download(run, Url(L"/status/" + std::to_wstring(status)), path.c_str());
        EXPECT_EQ(BadStatus, run.recorder.Code());
        EXPECT_EQ(1u, run.recorder.events.size());
        EXPECT_TRUE(HasWorkerLine(capture, L"HttpQueryInfo dwStatusCode:" + std::to_wstring(status)));
        EXPECT_FALSE(FileExists(path));
    }
}

TEST(HttpDownloaderFailure, ChunkedBodyHasNoContentLength) {
    TraceCapture capture;
    std::wstring path = TargetIn(L"chunked");
    RunResult run;
    Download(run, Url(L"/chunked/small.bin"), path.c_str());
    EXPECT_EQ(NoContentLength, run.recorder.Code());
    EXPECT_EQ(0u, run.recorder.Count(Kind::TotalSize));
    EXPECT_TRUE(HasWorkerLine(
        capture, L"HttpQueryInfo HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_CONTENT_LENGTH failed! lasterror:" +
                     std::to_wstring(ERROR_HTTP_HEADER_NOT_FOUND)));
    EXPECT_FALSE(FileExists(path));
}

TEST(HttpDownloaderFailure, ContentLengthLimitIsInclusive) {
    {
        TraceCapture capture;
        std::wstring path = TargetIn(L"limit");
        RunResult run;
        Download(run, Url(L"/announce/1048576000"), path.c_str());
        ASSERT_EQ(1u, run.recorder.Count(Kind::TotalSize));
        EXPECT_EQ(1048576000u, run.recorder.events.front().value);
        // Accepted, but no body follows the announcement.
        EXPECT_EQ(Incomplete, run.recorder.Code());
        EXPECT_TRUE(FileExists(path));
        EXPECT_FALSE(HasWorkerLine(capture, L"dwContentLen > MAX_DOWNLOAD_BYTESIZE, dwContentLen:1048576000"));
    }
    {
        TraceCapture capture;
        std::wstring path = TargetIn(L"over");
        RunResult run;
        Download(run, Url(L"/announce/1048576001"), path.c_str());
        EXPECT_EQ(TooLarge, run.recorder.Code());
        EXPECT_EQ(1u, run.recorder.events.size());
        EXPECT_TRUE(HasWorkerLine(capture, L"dwContentLen > MAX_DOWNLOAD_BYTESIZE, dwContentLen:1048576001"));
        EXPECT_FALSE(FileExists(path));
    }
}

TEST(HttpDownloaderFailure, TargetInAMissingFolder) {
    TraceCapture capture;
    std::wstring path = testenv::TempDir() + L"\\no-such-folder\\out.bin";
    RunResult run;
    Download(run, Url(L"/files/small.bin"), path.c_str());
    EXPECT_EQ(CreateFileFailed, run.recorder.Code());
    EXPECT_EQ(1u, run.recorder.Count(Kind::TotalSize));
    EXPECT_EQ(0u, run.recorder.Count(Kind::Progress));
    EXPECT_TRUE(HasWorkerLine(capture, L"CreateFile failed! lasterror:" + std::to_wstring(ERROR_PATH_NOT_FOUND) +
                                           L", file:" + path));
}

TEST(HttpDownloaderFailure, BodyCutShortIsNotASuccess) {
    TraceCapture capture;
    std::wstring path = TargetIn(L"short");
    const size_t sent = 1000000;
    RunResult run;
    Download(run, Url(L"/short/" + std::to_wstring(sent) + L"/package.bin"), path.c_str());
    std::string served = Served(L"package.bin");
    EXPECT_EQ(Incomplete, run.recorder.Code());
    EXPECT_LT(run.recorder.LastPercent(), 100u);
    EXPECT_GT(run.recorder.LastPercent(), 0u);
    EXPECT_TRUE(testenv::ReadFileBytes(path) == served.substr(0, sent)) << "the partial file is kept as received";
    EXPECT_TRUE(HasWorkerLine(capture, L"Body ended early! received:" + std::to_wstring(sent) +
                                           L", dwContentLen:" + std::to_wstring(served.size())));
}

// Wine's WinINet reports the reset as a failed read and then as the end of
// the body; neither may pass for a body that ended.
TEST(HttpDownloaderFailure, ResetConnectionIsAFailedRead) {
    RunResult run;
    Download(run, Url(L"/reset/200000/package.bin"), nullptr);
    EXPECT_EQ(ReadFailed, run.recorder.Code());
    EXPECT_LT(run.recorder.LastPercent(), 100u);
}

// Stands in for InternetReadFile: the real read until `goodReads` calls
// succeeded, then `failures` failed calls, then the real read again.
struct FlakyRead {
    static int goodReads;
    static int failures;
    static int failedCalls;
    static BOOL WINAPI Read(HINTERNET request, LPVOID buffer, DWORD size, LPDWORD read) {
        if (goodReads > 0) {
            --goodReads;
            return InternetReadFile(request, buffer, size, read);
        }
        if (failures > 0) {
            --failures;
            ++failedCalls;
            *read = 0;
            SetLastError(ERROR_INTERNET_CONNECTION_RESET);
            return FALSE;
        }
        return InternetReadFile(request, buffer, size, read);
    }
};
int FlakyRead::goodReads = 0;
int FlakyRead::failures = 0;
int FlakyRead::failedCalls = 0;

// Runs a job on this thread with a read of the test's own, reporting to a downloader's window.
void RunJobWithRead(Recorder& recorder, std::string& body, HttpDownloadJob::ReadFunction read,
                    const std::wstring& route = L"/files/package.bin") {
    CHttpDownloader downloader;
    downloader.AddListener(&recorder);
    HttpDownloadJob job(downloader.MessageWindow(), Url(route), L"", 0);
    job.SetReadFunction(read);
    job.Run();
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::Finish) > 0; }));
    body = job.body;
}

void RunFlakyJob(Recorder& recorder, std::string& body, int goodReads, int failures) {
    FlakyRead::goodReads = goodReads;
    FlakyRead::failures = failures;
    FlakyRead::failedCalls = 0;
    RunJobWithRead(recorder, body, &FlakyRead::Read);
}

// The rule: code 12 after 3 failed reads in a row, 200 ms apart, on the first
// request and on each of its reopens.
TEST(HttpDownloaderFailure, ThreeFailedReadsInARowEndTheRun) {
    TraceCapture capture;
    Recorder recorder;
    std::string body;
    RunFlakyJob(recorder, body, 3, 1000);
    ExpectWellFormedRun(recorder, 0);
    EXPECT_EQ(ReadFailed, recorder.Code());
    EXPECT_EQ(3 * (1 + HttpDownloadJob::kMaxReopens), FlakyRead::failedCalls);
    EXPECT_EQ(3u * HttpDownloadJob::kBufferBytes, body.size());
    EXPECT_EQ(1u, capture.CountMessage(L"Reopen 5 of 5 at offset:" + std::to_wstring(body.size()) +
                                       L", dwContentLen:" + std::to_wstring(Served(L"package.bin").size())));
    EXPECT_TRUE(HasWorkerLine(capture, L"InternetReadFile failed! lasterror:" +
                                           std::to_wstring(ERROR_INTERNET_CONNECTION_RESET)));
}

TEST(HttpDownloaderFailure, TwoFailedReadsInARowAreRetriedWithoutLosingData) {
    Recorder recorder;
    std::string body;
    RunFlakyJob(recorder, body, 2, 2);
    ExpectWellFormedRun(recorder, 0);
    EXPECT_EQ(Success, recorder.Code());
    EXPECT_EQ(2, FlakyRead::failedCalls);
    EXPECT_TRUE(body == Served(L"package.bin"));
}

// A silent connection fails the read once the time-out passes (Wine then
// claims the body ended), never looking like a clean end.
TEST(HttpDownloaderFailure, StalledBodyEndsWithAFailedReadOnceTheTimeOutPasses) {
    TraceCapture capture;
    RunResult run;
    Download(run, Url(L"/stall/200000/package.bin"), nullptr, 500);
    EXPECT_EQ(ReadFailed, run.recorder.Code());
    EXPECT_LT(run.recorder.LastPercent(), 100u);
    EXPECT_FALSE(capture.HasMessage(L"InternetReadFile failed! lasterror:0"));
}

// A few KB every quarter second: one read waits longer than the time-out to
// fill its buffer, yet the connection is never silent that long.
TEST(HttpDownloaderTransfer, SlowButSteadyBodyOutlastsTheReceiveTimeOut) {
    std::wstring path = TargetIn(L"slow");
    RunResult run;
    Download(run, Url(L"/trickle/2048/slow.bin"), path.c_str(), 1000);
    EXPECT_EQ(Success, run.recorder.Code());
    EXPECT_TRUE(testenv::ReadFileBytes(path) == Served(L"slow.bin"));
}

TEST(HttpDownloaderListeners, EachListenerOnceInRegistrationOrder) {
    CHttpDownloader downloader;
    std::vector<int> order;
    Recorder first;
    Recorder second;
    first.onEvent = [&](const Event&) { order.push_back(1); };
    second.onEvent = [&](const Event&) { order.push_back(2); };
    EXPECT_EQ(0, downloader.AddListener(&first));
    EXPECT_EQ(0, downloader.AddListener(&second));
    EXPECT_EQ(0, downloader.AddListener(&first));
    ASSERT_EQ(0, downloader.BeginDownload(L"ftp://127.0.0.1/x", nullptr, 0, 3));
    ASSERT_TRUE(PumpUntil([&] { return first.Count(Kind::Finish) > 0; }));
    EXPECT_EQ((std::vector<int>{1, 2}), order);
    EXPECT_EQ(3, second.events.back().userData);
}

TEST(HttpDownloaderListeners, BeginMessageReachesTheListenersWithTheirUserData) {
    TraceCapture capture;
    CHttpDownloader downloader;
    Recorder recorder;
    downloader.AddListener(&recorder);
    ASSERT_EQ(0, downloader.BeginDownload(L"ftp://127.0.0.1/x", nullptr, 0, 11));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::Finish) > 0; }));
    // The finish handler frees a non-null buffer after the listeners returned.
    PostMessageW(downloader.MessageWindow(), WM_HTTPDOWNLOAD_FINISH, BadStatus,
                 reinterpret_cast<LPARAM>(new char[16]));
    PostMessageW(downloader.MessageWindow(), WM_HTTPDOWNLOAD_BEGIN, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::Begin) > 0; }));
    ASSERT_EQ(3u, recorder.events.size());
    EXPECT_EQ(BadStatus, recorder.events[1].value);
    EXPECT_EQ(Kind::Begin, recorder.events[2].kind);
    EXPECT_EQ(11, recorder.events[2].userData);
    bool traced = false;
    for (const std::wstring& line : capture.Lines())
        traced |= TraceFunction(line) == L"CHttpDownloader::OnDownloadBegin" && TraceMessage(line) == L"Enter";
    EXPECT_TRUE(traced);
    EXPECT_EQ(1u, capture.CountMessage(L"Leave"));
    // Other messages go to the default procedure.
    EXPECT_EQ(0, SendMessageW(downloader.MessageWindow(), WM_USER + 1, 0, 0));
}

// Throws from the events a listener may fail on while the UI thread is busy
// (an allocation, a thread that cannot be started).
class ThrowingListener : public Recorder {
public:
    int OnDownloadProgressChanged(unsigned, int, int) override { throw std::bad_alloc(); }
    int OnDownloadFileTotalSize(int) override {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
};

// An exception must stop at the downloader's window procedure: the shipped
// 32-bit build cannot unwind it through the system's frames and would end
// the process. Later messages of the run still arrive.
TEST(HttpDownloaderListeners, AListenerThatThrowsNeitherEndsTheRunNorTheProcess) {
    TraceCapture capture;
    CHttpDownloader downloader;
    ThrowingListener thrower;
    Recorder recorder;
    downloader.AddListener(&thrower);
    downloader.AddListener(&recorder);
    ASSERT_EQ(0, downloader.BeginDownload(Url(L"/files/package.bin").c_str(), nullptr, 0, 5));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::Finish) > 0; }));
    EXPECT_EQ(Success, recorder.Code());
    EXPECT_TRUE(downloader.MemoryBody() == Served(L"package.bin"));
    size_t failures = 0;
    for (const std::wstring& line : capture.Lines())
        failures += TraceFunction(line) == L"CHttpDownloader::WindowProc";
    EXPECT_GT(failures, 1u);
}

TEST(HttpDownloaderRestart, SecondBeginDownloadReplacesAStalledRun) {
    CHttpDownloader downloader;
    Recorder recorder;
    downloader.AddListener(&recorder);
    // The first worker blocks in its first read and never ends by itself.
    ASSERT_EQ(0, downloader.BeginDownload(Url(L"/stall/0/package.bin").c_str(), nullptr, 0, 1));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::TotalSize) > 0; }));
    size_t firstRunEvents = recorder.events.size();

    ULONGLONG before = GetTickCount64();
    ASSERT_EQ(0, downloader.BeginDownload(Url(L"/files/small.bin").c_str(), nullptr, 0, 2));
    // The stalled worker gets its bounded wait, never an endless one.
    EXPECT_LT(GetTickCount64() - before, 30000u);
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::Finish) > 0; }));
    PumpFor(200);

    EXPECT_EQ(1u, recorder.Count(Kind::Finish));
    EXPECT_EQ(Kind::Finish, recorder.events.back().kind);
    EXPECT_EQ(Success, recorder.Code());
    for (size_t i = firstRunEvents; i < recorder.events.size(); ++i) {
        if (recorder.events[i].kind != Kind::TotalSize) {
            EXPECT_EQ(2, recorder.events[i].userData);
        }
    }
    EXPECT_TRUE(downloader.MemoryBody() == Served(L"small.bin"));
}

TEST(HttpDownloaderRestart, AFinishedRunsLateEventsDoNotLeakIntoTheNext) {
    CHttpDownloader downloader;
    Recorder recorder;
    downloader.AddListener(&recorder);
    ASSERT_EQ(0, downloader.BeginDownload(Url(L"/files/small.bin").c_str(), nullptr, 0, 1));
    // No pumping: the first run's events wait in the queue when the next begins.
    Sleep(500);
    ASSERT_EQ(0, downloader.BeginDownload(Url(L"/status/404").c_str(), nullptr, 0, 2));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::Finish) > 0; }));
    PumpFor(200);
    ASSERT_EQ(1u, recorder.events.size());
    EXPECT_EQ(BadStatus, recorder.events[0].value);
    EXPECT_EQ(2, recorder.events[0].userData);
}

TEST(HttpDownloaderRestart, DestroyingTheDownloaderMidRunIsSafe) {
    Recorder recorder;
    {
        CHttpDownloader downloader;
        downloader.AddListener(&recorder);
        ASSERT_EQ(0, downloader.BeginDownload(Url(L"/stall/0/package.bin").c_str(), nullptr, 300, 1));
        ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::TotalSize) > 0; }));
    }
    size_t seen = recorder.events.size();
    // Long enough for the abandoned worker's reads to time out and give up.
    PumpFor(3000);
    EXPECT_EQ(seen, recorder.events.size());
    EXPECT_EQ(0u, recorder.Count(Kind::Finish));
}

TEST(HttpDownloaderTransfer, HttpsWithATrustedCertificate) {
    std::wstring port = testenv::Var(L"HTTPS_TEST_PORT");
    if (port.empty())
        GTEST_SKIP() << "the fixture could not install its test CA";
    std::wstring path = testenv::MakeTempSubdir(L"https") + L"\\package.bin";
    RunResult run;
    // The certificate names localhost; an address in the URL would fail the name check.
    Download(run, L"https://localhost:" + port + L"/files/package.bin", path.c_str());
    EXPECT_EQ(Success, run.recorder.Code());
    EXPECT_EQ(100u, run.recorder.LastPercent());
    EXPECT_TRUE(testenv::ReadFileBytes(path) == Served(L"package.bin"));
}

TEST(HttpDownloaderFailure, HttpsToAnAddressTheCertificateDoesNotNameIsRefused) {
    std::wstring port = testenv::Var(L"HTTPS_TEST_PORT");
    if (port.empty())
        GTEST_SKIP() << "the fixture could not install its test CA";
    std::wstring path = testenv::MakeTempSubdir(L"https-name") + L"\\package.bin";
    RunResult run;
    Download(run, L"https://127.0.0.1:" + port + L"/files/package.bin", path.c_str());
    EXPECT_EQ(SendFailed, run.recorder.Code());
    EXPECT_FALSE(FileExists(path));
}

namespace {

struct LoggedRequest {
    std::string path;
    std::string range;    // "-" when none
    std::string ifRange;  // "-" when none
};

// The requests the fixture's server logged for URLs starting with `prefix`.
std::vector<LoggedRequest> RequestsTo(const std::string& prefix) {
    std::vector<LoggedRequest> requests;
    std::string log = testenv::ReadFileBytes(testenv::Var(L"HTTP_REQUEST_LOG"));
    size_t start = 0;
    for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = log.substr(start, end - start);
        size_t path = line.find(' ') + 1;
        size_t range = line.find(" range=");
        size_t ifRange = line.find(" if-range=");
        if (range == std::string::npos || ifRange == std::string::npos) continue;
        LoggedRequest request{line.substr(path, range - path), line.substr(range + 7, ifRange - range - 7),
                              line.substr(ifRange + 10)};
        if (request.path.compare(0, prefix.size(), prefix) == 0) requests.push_back(request);
    }
    return requests;
}

std::wstring ReopenLine(int reopen, size_t offset, size_t total) {
    return L"Reopen " + std::to_wstring(reopen) + L" of 5 at offset:" + std::to_wstring(offset) +
           L", dwContentLen:" + std::to_wstring(total);
}

uint64_t fakeFreeBytes = 0;
bool FakeFreeSpace(const std::wstring&, uint64_t& freeBytes) {
    freeBytes = fakeFreeBytes;
    return true;
}

}  // namespace

// Each cut is followed by "Range: bytes=N-" naming the first response's ETag;
// a server that honours it continues the body, one that ignores it starts the
// file over. Either way the result is the served file, progress only rises
// and the total comes once.
TEST(HttpDownloaderResume, CutBodiesArriveByteIdentical) {
    const std::string served = Served(L"package.bin");
    const struct {
        const char* route;
        bool inMemory;
        std::vector<size_t> offsets;  // of the reopens, when the cuts fall at known points
        size_t requests;
    } cases[] = {
        {"/flaky/700000/package.bin?id=close", false, {700000, 1400000, 2100000, 2800000}, 5},
        {"/flaky/700000/package.bin?id=memory", true, {700000, 1400000, 2100000, 2800000}, 5},
        {"/flaky/1000000/package.bin?reset&id=reset", false, {}, 4},
        {"/flaky/1000000/package.bin?norange&cuts=1&id=norange", false, {1000000}, 2},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.route);
        TraceCapture capture;
        std::wstring path = TargetIn((L"resume" + std::to_wstring(index++)).c_str());
        RunResult run;
        Download(run, Url(AnsiToWide(c.route)), c.inMemory ? nullptr : path.c_str());
        EXPECT_EQ(Success, run.recorder.Code());
        EXPECT_EQ(1u, run.recorder.Count(Kind::TotalSize));
        EXPECT_EQ(100u, run.recorder.LastPercent());
        EXPECT_TRUE((c.inMemory ? run.memoryBody : testenv::ReadFileBytes(path)) == served)
            << "the result differs from the served file";

        std::vector<LoggedRequest> requests = RequestsTo(c.route);
        ASSERT_EQ(c.requests, requests.size());
        EXPECT_EQ("-", requests[0].range);
        size_t lastOffset = 0;
        for (size_t i = 1; i < requests.size(); ++i) {
            size_t offset = std::stoul(requests[i].range.substr(6));
            EXPECT_EQ("bytes=" + std::to_string(offset) + "-", requests[i].range);
            EXPECT_GT(offset, lastOffset);
            EXPECT_EQ('"', requests[i].ifRange.front()) << "the ETag names the body being continued";
            EXPECT_TRUE(capture.HasMessage(ReopenLine(static_cast<int>(i), offset, served.size())));
            if (!c.offsets.empty()) {
                EXPECT_EQ(c.offsets[i - 1], offset);
            }
            lastOffset = offset;
        }
        EXPECT_FALSE(capture.HasMessage(ReopenLine(static_cast<int>(requests.size()), lastOffset, served.size())));
    }
}

// Five reopens and no more: the run ends with the failure of its last try.
TEST(HttpDownloaderResume, MoreThanFiveCutsEndTheRun) {
    const std::string served = Served(L"package.bin");
    const struct {
        const char* route;
        unsigned code;
    } cases[] = {
        {"/flaky/400000/package.bin?id=cuts", Incomplete},
        {"/flaky/400000/package.bin?reset&id=resets", ReadFailed},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.route);
        TraceCapture capture;
        std::wstring path = TargetIn((L"cuts" + std::to_wstring(index++)).c_str());
        RunResult run;
        Download(run, Url(AnsiToWide(c.route)), path.c_str());
        EXPECT_EQ(c.code, run.recorder.Code());
        EXPECT_LT(run.recorder.LastPercent(), 100u);
        EXPECT_EQ(6u, RequestsTo(c.route).size());
        std::string partial = testenv::ReadFileBytes(path);
        EXPECT_TRUE(served.compare(0, partial.size(), partial) == 0) << "what was kept is the served prefix";
        if (c.code == Incomplete) {
            EXPECT_EQ(6u * 400000, partial.size());
            EXPECT_TRUE(capture.HasMessage(ReopenLine(5, 5 * 400000, served.size())));
        }
        size_t reopenLines = 0;
        for (const std::wstring& line : capture.Lines())
            reopenLines += TraceMessage(line).compare(0, 7, L"Reopen ") == 0;
        EXPECT_EQ(5u, reopenLines);
    }
}

// A 206 that does not start where the file ends would splice in the wrong bytes.
TEST(HttpDownloaderResume, AnAnswerThatDoesNotContinueTheBodyEndsTheRun) {
    TraceCapture capture;
    const std::string served = Served(L"package.bin");
    std::wstring path = TargetIn(L"badstart");
    RunResult run;
    Download(run, Url(L"/flaky/700000/package.bin?badstart"), path.c_str());
    EXPECT_EQ(Incomplete, run.recorder.Code());
    EXPECT_EQ(2u, RequestsTo("/flaky/700000/package.bin?badstart").size());
    EXPECT_TRUE(testenv::ReadFileBytes(path) == served.substr(0, 700000));
    EXPECT_TRUE(capture.HasMessage(L"Reopen refused! Content-Range:bytes 700001-" +
                                   std::to_wstring(served.size() - 1) + L"/" + std::to_wstring(served.size())));
}

// No file is created for a body the volume cannot hold.
TEST(HttpDownloaderFailure, TooLittleFreeSpaceForTheBodyWritesNothing) {
    const size_t size = Served(L"package.bin").size();
    const struct {
        uint64_t freeBytes;
        unsigned code;
    } cases[] = {{size - 1, NoDiskSpace}, {0, NoDiskSpace}, {size, Success}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.freeBytes);
        TraceCapture capture;
        fakeFreeBytes = c.freeBytes;
        std::wstring path = TargetIn((L"space" + std::to_wstring(c.freeBytes)).c_str());
        RunResult run;
        Download(run, Url(L"/files/package.bin"), path.c_str(), 0, 7, &FakeFreeSpace);
        EXPECT_EQ(c.code, run.recorder.Code());
        EXPECT_EQ(1u, run.recorder.Count(Kind::TotalSize));
        EXPECT_EQ(c.code == Success, FileExists(path));
        EXPECT_EQ(c.code == Success ? 100u : 0u, run.recorder.LastPercent());
        EXPECT_EQ(c.code == Success ? 0u : 1u,
                  capture.CountMessage(L"Not enough disk space! free:" + std::to_wstring(c.freeBytes) +
                                       L", needed:" + std::to_wstring(size) + L", folder:" +
                                       path.substr(0, path.size() - 7)));
    }
}

// A connection that fails after its last byte, as a reset right behind the
// body looks: every byte is in, and a reopen would only get a 416.
BOOL WINAPI FailAtTheEnd(HINTERNET request, LPVOID buffer, DWORD size, LPDWORD read) {
    BOOL ok = InternetReadFile(request, buffer, size, read);
    if (ok && *read == 0) {
        SetLastError(ERROR_INTERNET_CONNECTION_RESET);
        return FALSE;
    }
    return ok;
}

TEST(HttpDownloaderResume, AConnectionThatFailsAfterTheLastByteDeliveredTheBody) {
    Recorder recorder;
    std::string body;
    RunJobWithRead(recorder, body, &FailAtTheEnd, L"/files/package.bin?id=end");
    ExpectWellFormedRun(recorder, 0);
    EXPECT_EQ(Success, recorder.Code());
    EXPECT_TRUE(body == Served(L"package.bin"));
    EXPECT_EQ(1u, RequestsTo("/files/package.bin?id=end").size()) << "nothing is left to ask for";
}

// The server swaps in a new version of the file (other bytes, other ETag)
// from its second response on. A server that honours If-Range answers the
// first reopen with the whole new version: later reopens must name the new
// ETag, or each would start over again. One that ignores If-Range but
// honours Range sends the new version's rest: splicing it onto the old
// bytes would make a package that is neither; the run starts over instead.
TEST(HttpDownloaderResume, ANewVersionOfTheFileIsFetchedWhole) {
    const std::string next = Served(L"package.bin.new");
    const struct {
        const char* route;
        size_t requests;
    } cases[] = {
        {"/flaky/700000/package.bin?swap=2&id=etag", 6},
        {"/flaky/700000/package.bin?swap=2&ignoreifrange&cuts=1&id=splice", 3},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.route);
        std::wstring path = TargetIn((L"version" + std::to_wstring(index++)).c_str());
        RunResult run;
        Download(run, Url(AnsiToWide(c.route)), path.c_str());
        EXPECT_EQ(Success, run.recorder.Code());
        EXPECT_TRUE(testenv::ReadFileBytes(path) == next) << "the file is not the new version";
        std::vector<LoggedRequest> requests = RequestsTo(c.route);
        ASSERT_EQ(c.requests, requests.size());
        // From the third request on, If-Range names the version being continued: the new one.
        for (size_t i = 3; i < requests.size(); ++i) {
            EXPECT_EQ(requests[2].ifRange, requests[i].ifRange);
            EXPECT_NE(requests[1].ifRange, requests[i].ifRange);
        }
    }
    std::vector<LoggedRequest> splice = RequestsTo(cases[1].route);
    ASSERT_EQ(3u, splice.size());
    EXPECT_EQ("-", splice[2].range) << "the new version is asked for from its start";
}

// With a 1 s receive time-out and a 5 s stall budget: a server that sends
// the same first bytes on every request and then falls silent gives up well
// before the five reopens are spent; one that sends new bytes on every
// request before falling silent moves, and never fails for it.
TEST(HttpDownloaderResume, AStalledBodyGivesUpWithinTheBudgetAMovingOneNever) {
    const DWORD budgetMs = 5000;
    const struct {
        const char* route;
        unsigned code;
    } cases[] = {
        {"/stall/100000/package.bin?id=budget", Stalled},
        {"/flaky/600000/package.bin?stall&id=moving", Success},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.route);
        TraceCapture capture;
        CHttpDownloader downloader;
        Recorder recorder;
        downloader.AddListener(&recorder);
        downloader.SetStallBudget(budgetMs);
        const ULONGLONG began = GetTickCount64();
        ASSERT_EQ(0, downloader.BeginDownload(Url(AnsiToWide(c.route)).c_str(), nullptr, 1000, 0));
        ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::Finish) > 0; }));
        const ULONGLONG took = GetTickCount64() - began;
        EXPECT_EQ(c.code, recorder.Code());
        size_t stallLines = 0;
        for (const std::wstring& line : capture.Lines())
            stallLines += TraceMessage(line).compare(0, 17, L"Download stalled!") == 0;
        if (c.code == Stalled) {
            EXPECT_EQ(1u, stallLines);
            EXPECT_LT(RequestsTo(c.route).size(), 1u + HttpDownloadJob::kMaxReopens);
            EXPECT_LT(took, budgetMs + 3000u);
        } else {
            EXPECT_EQ(0u, stallLines);
            EXPECT_TRUE(downloader.MemoryBody() == Served(L"package.bin"));
            EXPECT_GT(took, budgetMs) << "the run ended before it could prove the budget restarts";
        }
    }
}

// The paced route sends the file in 100 even parts over three seconds. Once
// a second of data has arrived, the speed shown is the rate of the last
// second, so it stays near the rate the file actually came at.
TEST(HttpDownloaderTransfer, SpeedIsTheRateOfTheLastSecond) {
    const size_t size = Served(L"package.bin").size();
    CHttpDownloader downloader;
    Recorder recorder;
    downloader.AddListener(&recorder);
    const ULONGLONG began = GetTickCount64();
    ASSERT_EQ(0, downloader.BeginDownload(Url(L"/paced/3000/package.bin").c_str(), nullptr, 0, 0));
    ASSERT_TRUE(PumpUntil([&] { return recorder.Count(Kind::Finish) > 0; }));
    const double served = static_cast<double>(size) * 1000.0 / static_cast<double>(GetTickCount64() - began);
    ASSERT_EQ(Success, recorder.Code());
    std::vector<double> speeds;
    for (const Event& e : recorder.events) {
        if (e.kind == Kind::Progress && e.value >= 40)
            speeds.push_back(e.speed);
    }
    ASSERT_GE(speeds.size(), 30u);
    std::nth_element(speeds.begin(), speeds.begin() + speeds.size() / 2, speeds.end());
    const double median = speeds[speeds.size() / 2];
    EXPECT_NEAR(served, median, 0.15 * served);
}
