#include "TraceLogger.h"

#include "FakeTraceController.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

const wchar_t kFile[] = L"C:\\src\\app\\Manager.cpp";
const wchar_t kFunction[] = L"DownloadInstallManager::InitConfig";

class TraceLoggerTest : public ::testing::Test {
protected:
    TraceLoggerTest() : logger_(controller_.Platform()) {}

    void Log(UCHAR level, const wchar_t* file, const wchar_t* function, unsigned line, const wchar_t* format, ...) {
        va_list args;
        va_start(args, format);
        logger_.LogV(level, file, function, line, format, args);
        va_end(args);
    }

    // A message long enough that file + function + message + 22 == total.
    static std::wstring MessageForTotal(size_t total, const wchar_t* file, const wchar_t* function) {
        return std::wstring(total - 22 - wcslen(file) - wcslen(function), L'm');
    }

    // Logs one line whose total is `total` and returns its record; `expected` gets the line text.
    TraceRecord LogTotal(size_t total, std::wstring& expected) {
        controller_.Enable(logger_, 5);
        std::wstring message = MessageForTotal(total, kFile, kFunction);
        Log(2, kFile, kFunction, 7, L"%s", message.c_str());
        expected = std::wstring(L"[") + kFile + L" - " + kFunction + L" - 7] " + message;
        std::vector<TraceRecord> records = controller_.Records();
        EXPECT_EQ(1u, records.size());
        return records.empty() ? TraceRecord() : records[0];
    }

    FakeTraceController controller_;
    TraceLogger logger_;
};


uint16_t U16At(const std::vector<unsigned char>& bytes, size_t offset) {
    uint16_t value;
    memcpy(&value, bytes.data() + offset, 2);
    return value;
}

uint32_t U32At(const std::vector<unsigned char>& bytes, size_t offset) {
    uint32_t value;
    memcpy(&value, bytes.data() + offset, 4);
    return value;
}

}  // namespace

TEST_F(TraceLoggerTest, WritesNothingUntilEnabled) {
    Log(2, kFile, kFunction, 1, L"hello");
    EXPECT_EQ(0u, controller_.SendCount());
    EXPECT_TRUE(logger_.IsRegistered());
}

TEST_F(TraceLoggerTest, LineFormat) {
    controller_.Enable(logger_, 5);
    Log(4, kFile, kFunction, 72, L"%s=%d", L"游戏", 5);
    ASSERT_EQ(1u, controller_.Records().size());
    EXPECT_EQ(L"[C:\\src\\app\\Manager.cpp - DownloadInstallManager::InitConfig - 72] 游戏=5",
              controller_.Records()[0].text);
    EXPECT_EQ(4, controller_.Records()[0].level);
}

TEST_F(TraceLoggerTest, EnableWithoutALevelAdmitsWarningsAndWorseOnly) {
    controller_.Enable(logger_, 0);
    EXPECT_TRUE(logger_.IsEnabled());
    EXPECT_EQ(3, logger_.EnableLevel());
    Log(2, kFile, kFunction, 1, L"error");
    Log(3, kFile, kFunction, 1, L"warning");
    Log(4, kFile, kFunction, 1, L"info");
    Log(5, kFile, kFunction, 1, L"verbose");
    ASSERT_EQ(2u, controller_.Records().size());
    EXPECT_EQ(L"error", TraceMessage(controller_.Records()[0].text));
    EXPECT_EQ(L"warning", TraceMessage(controller_.Records()[1].text));
}

TEST_F(TraceLoggerTest, LevelQueryFailureLeavesTracingOff) {
    controller_.SetEnableLevelError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(0u, controller_.Enable(logger_, 0));
    EXPECT_FALSE(logger_.IsEnabled());
}

TEST_F(TraceLoggerTest, InvalidLoggerHandleLeavesTracingOff) {
    controller_.FailHandleQuery(true);
    EXPECT_EQ(0u, controller_.Enable(logger_, 5));
    EXPECT_FALSE(logger_.IsEnabled());
}

TEST_F(TraceLoggerTest, NullArgumentsWriteNothing) {
    controller_.Enable(logger_, 5);
    Log(2, kFile, nullptr, 1, L"x");
    Log(2, nullptr, kFunction, 1, L"x");
    Log(2, kFile, kFunction, 1, nullptr);
    logger_.WriteText(2, nullptr);
    EXPECT_EQ(0u, controller_.SendCount());
}

TEST_F(TraceLoggerTest, Total1023IsAShortRecordByteForByte) {
    std::wstring expected;
    TraceRecord record = LogTotal(1023, expected);
    ASSERT_EQ(expected.size(), record.text.size());
    ASSERT_TRUE(expected == record.text);

    const std::vector<unsigned char>& bytes = record.bytes;
    ASSERT_EQ(82 + 2 * expected.size(), bytes.size());
    EXPECT_EQ(bytes.size(), U16At(bytes, 0));                    // Size
    EXPECT_EQ(0, bytes[2]);                                      // HeaderType
    EXPECT_EQ(0, bytes[3]);                                      // MarkerFlags
    EXPECT_EQ(20, bytes[4]);                                     // Class.Type
    EXPECT_EQ(2, bytes[5]);                                      // Class.Level
    EXPECT_EQ(0, U16At(bytes, 6));                               // Class.Version
    for (size_t i = 8; i < 24; ++i) EXPECT_EQ(0, bytes[i]) << i;  // thread, process, time stamp
    EXPECT_EQ(0, memcmp(bytes.data() + 24, &TraceLogger::kEventClassGuid, 16));
    EXPECT_EQ(0u, U32At(bytes, 40));
    EXPECT_EQ(0x00020000u, U32At(bytes, 44));                    // traced-GUID flag
    EXPECT_EQ(0, memcmp(bytes.data() + 48, &TraceLogger::kControlGuid, 16));
    SYSTEMTIME stamp;
    memcpy(&stamp, bytes.data() + 64, sizeof(stamp));
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, stamp.wYear);
    EXPECT_EQ(0, U16At(bytes, bytes.size() - 2));                // terminating NUL
}

TEST_F(TraceLoggerTest, Total1024IsALongRecordWithItsByteCount) {
    std::wstring expected;
    TraceRecord record = LogTotal(1024, expected);
    ASSERT_EQ(expected.size(), record.text.size());
    ASSERT_TRUE(expected == record.text);
    const std::vector<unsigned char>& bytes = record.bytes;
    const uint16_t textBytes = static_cast<uint16_t>(2 * expected.size() + 2);
    EXPECT_EQ(21, bytes[4]);
    EXPECT_EQ(82u + textBytes, U16At(bytes, 0));
    EXPECT_EQ(82u + textBytes, bytes.size());
    EXPECT_EQ(textBytes, U16At(bytes, 80));
    EXPECT_EQ(0, memcmp(bytes.data() + 48, &TraceLogger::kControlGuid, 16));
    EXPECT_EQ(0x00020000u, U32At(bytes, 44));
}

TEST_F(TraceLoggerTest, LongestLongLineStillFits) {
    controller_.Enable(logger_, 5);
    std::wstring message = MessageForTotal(30719, kFile, kFunction);
    Log(2, kFile, kFunction, 7, L"%s", message.c_str());
    ASSERT_EQ(1u, controller_.Records().size());
    EXPECT_EQ(21, controller_.Records()[0].type);
    EXPECT_TRUE(message == TraceMessage(controller_.Records()[0].text));
}

TEST_F(TraceLoggerTest, DoubleTotalOf61440IsReplacedByTheOverflowNotice) {
    controller_.Enable(logger_, 5);
    std::wstring message = MessageForTotal(30720, kFile, kFunction);
    Log(4, kFile, kFunction, 99, L"%s", message.c_str());
    std::vector<TraceRecord> records = controller_.Records();
    ASSERT_EQ(1u, records.size());
    const TraceRecord& record = records[0];
    EXPECT_EQ(20, record.type);
    EXPECT_EQ(4, record.level);
    EXPECT_EQ(std::wstring(L"[") + kFile + L" - " + kFunction +
                  L" - 99] etw logger buffer is bigger than 60k so it is over flow",
              record.text);
}

TEST_F(TraceLoggerTest, UnknownControlRequestChangesNothing) {
    controller_.Enable(logger_, 4);
    EXPECT_EQ(87u, controller_.Request(logger_, WMI_GET_ALL_DATA));
    EXPECT_TRUE(logger_.IsEnabled());
    EXPECT_EQ(4, logger_.EnableLevel());
    EXPECT_EQ(0u, TraceLogger::TraceControlCallback(WMI_ENABLE_EVENTS, nullptr, nullptr, nullptr));
}

TEST_F(TraceLoggerTest, DisableStopsWriting) {
    controller_.Enable(logger_, 5);
    controller_.Disable(logger_);
    Log(1, kFile, kFunction, 1, L"x");
    EXPECT_EQ(0u, controller_.SendCount());
}

TEST_F(TraceLoggerTest, InvalidHandleOnSendMutesUntilTheNextEnable) {
    controller_.Enable(logger_, 5);
    controller_.FailSendsWith(6);
    Log(2, kFile, kFunction, 1, L"lost");
    EXPECT_EQ(1u, controller_.SendCount());
    EXPECT_FALSE(logger_.IsEnabled());
    controller_.FailSendsWith(0);
    Log(2, kFile, kFunction, 1, L"dropped");
    EXPECT_EQ(1u, controller_.SendCount());
    controller_.Enable(logger_, 5);
    Log(2, kFile, kFunction, 1, L"back");
    ASSERT_EQ(1u, controller_.Records().size());
    EXPECT_EQ(L"back", TraceMessage(controller_.Records()[0].text));
}

TEST_F(TraceLoggerTest, OtherSendFailuresKeepTracingOn) {
    controller_.Enable(logger_, 5);
    controller_.FailSendsWith(ERROR_NOT_ENOUGH_MEMORY);
    Log(2, kFile, kFunction, 1, L"lost");
    EXPECT_TRUE(logger_.IsEnabled());
}

namespace {
struct Sample {
    void Method() { TRACE_LOG(TRACE_LEVEL_ERROR, L"from %s", L"method"); }
    static void Static() { TRACE_LOG(TRACE_LEVEL_ERROR, L"static"); }
};
}  // namespace

TEST(TraceLogMacro, NamesClassAndMethod) {
    TraceCapture capture;
    Sample().Method();
    Sample::Static();
    auto lines = capture.Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"{anonymous}::Sample::Method", TraceFunction(lines[0]));
    EXPECT_EQ(L"from method", TraceMessage(lines[0]));
    EXPECT_EQ(L"{anonymous}::Sample::Static", TraceFunction(lines[1]));
    EXPECT_NE(std::wstring::npos, lines[0].find(L"TraceLogger_test.cpp"));
}

TEST(QualifiedFunctionName, StripsReturnTypeAndParameters) {
    EXPECT_EQ(L"DownloadInstallManager::InitConfig", QualifiedFunctionName("void DownloadInstallManager::InitConfig()"));
    EXPECT_EQ(L"CHttpDownloader::DownloadThreadProc",
              QualifiedFunctionName("static unsigned int CHttpDownloader::DownloadThreadProc(void*)"));
    EXPECT_EQ(L"GetModuleDir", QualifiedFunctionName("std::wstring GetModuleDir()"));
    EXPECT_EQ(L"DownloadInstallManager::DownloadInstallManager",
              QualifiedFunctionName("DownloadInstallManager::DownloadInstallManager(HWND, const wstring&)"));
    EXPECT_EQ(L"Box<T>::Get", QualifiedFunctionName("std::map<int, int> Box<T>::Get(int) const [with T = int]"));
    EXPECT_EQ(L"A::operator()", QualifiedFunctionName("bool A::operator()(int)"));
    EXPECT_EQ(L"A::Run::<lambda>", QualifiedFunctionName("A::Run(int)::<lambda()>"));
}

// This binary never calls the result-code table's accessor, yet the table
// must be part of every program that logs, filled before the entry point
// runs. Its texts are compiled into code, so the accessor's name is looked
// for in the executable's symbol table (test binaries are not stripped).
TEST(TraceLoggerStartup, TheResultCodeTableComesWithTheLogger) {
    // Reversed, so that this file does not put the name into the image itself.
    std::string name = "segasseMedoCtluseR81Z_";
    std::reverse(name.begin(), name.end());
    wchar_t self[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, self, MAX_PATH));
    std::string image = testenv::ReadFileBytes(self);
    ASSERT_FALSE(image.empty());
    EXPECT_TRUE(image.find(name) != std::string::npos) << "the result-code table is not linked";
}
