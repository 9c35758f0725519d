#include "GameConfig.h"

#include "FakeTraceController.h"

#include "Paths.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <filesystem>

namespace {

class GameConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testenv::MakeTempSubdir(L"config");
        path_ = dir_ + L"\\config.json";
    }

    GameConfig Read(const std::string& json) {
        EXPECT_TRUE(testenv::WriteFileBytes(path_, json));
        GameConfig config;
        read_ = ReadGameConfig(path_, config);
        return config;
    }

    static void ExpectDefaults(const GameConfig& config) {
        EXPECT_TRUE(config.startPath.empty());
        EXPECT_TRUE(config.backgroundPath.empty());
        EXPECT_TRUE(config.gameUrl.empty());
        EXPECT_TRUE(config.gameId.empty());
        EXPECT_EQ(0u, config.totalSize);
    }

    std::wstring dir_;
    std::wstring path_;
    bool read_ = false;  // what the last Read() returned
};

}  // namespace

TEST_F(GameConfigTest, ReadsEveryField) {
    GameConfig config = Read(R"({"GameInfo": {
        "start_path": "bin\\game.exe", "background": "skin/bg.png",
        "game_url": "http://127.0.0.1/GameSetup.zip", "file_size": 10000000,
        "game_id": "123", "other": [1, 2]}, "ignored": true})");
    EXPECT_EQ(L"bin\\game.exe", config.startPath);
    EXPECT_EQ(L"skin/bg.png", config.backgroundPath);
    EXPECT_EQ(L"http://127.0.0.1/GameSetup.zip", config.gameUrl);
    EXPECT_EQ(10000000u, config.totalSize);
    EXPECT_EQ(L"123", config.gameId);
    EXPECT_TRUE(read_);
}

TEST_F(GameConfigTest, StringsAreReadInTheAnsiCodePage) {
    GameConfig config = Read("{\"GameInfo\": {\"game_id\": \"\xD3\xCE\xCF\xB7\"}}");
    EXPECT_EQ(L"游戏", config.gameId);
}

TEST_F(GameConfigTest, UnreadableFilesKeepTheDefaults) {
    GameConfig missing;
    EXPECT_FALSE(ReadGameConfig(dir_ + L"\\absent.json", missing));
    ExpectDefaults(missing);
    ReadGameConfig(dir_ + L"\\nofolder\\config.json", missing);
    ExpectDefaults(missing);
    ExpectDefaults(Read(""));
    ExpectDefaults(Read("{\"GameInfo\": {\"game_id\": \"1\""));
    ExpectDefaults(Read(std::string("\x00\x01\xFF\xFE\x80garbage", 11)));
}

TEST_F(GameConfigTest, StrictGrammar) {
    ExpectDefaults(Read("\xEF\xBB\xBF{\"GameInfo\": {\"game_id\": \"1\"}}"));  // byte-order mark
    ExpectDefaults(Read("{\"GameInfo\": {\"game_id\": \"1\"}} x"));          // text after the root
    ExpectDefaults(Read("{\"GameInfo\": {\"game_id\": \"1\",}}"));           // trailing comma
    ExpectDefaults(Read("// comment\n{\"GameInfo\": {\"game_id\": \"1\"}}"));
    EXPECT_EQ(L"1", Read("\n {\"GameInfo\": {\"game_id\": \"1\"}} \r\n\t").gameId);
}

// Such a file is no configuration at all: the launcher then knows no game to report on.
TEST_F(GameConfigTest, WrongRootOrGameInfoTypeReadsNothing) {
    for (const char* json : {"[{\"GameInfo\": {\"game_id\": \"1\"}}]", "{\"GameInfo\": \"game_id\"}",
                             "{\"gameinfo\": {\"game_id\": \"1\"}}", "{\"GameInfo\": "}) {
        SCOPED_TRACE(json);
        ExpectDefaults(Read(json));
        EXPECT_FALSE(read_);
    }
    Read("{\"GameInfo\": {}}");
    EXPECT_TRUE(read_);
}

TEST_F(GameConfigTest, ValuesOfTheWrongTypeAreAbsent) {
    GameConfig config = Read(R"({"GameInfo": {"game_url": 42, "start_path": null,
        "background": ["a"], "game_id": 7, "file_size": "100"}})");
    ExpectDefaults(config);
}

TEST_F(GameConfigTest, FileSizeMustBeAWholeNumberBelowTwoToThe32) {
    EXPECT_EQ(4294967295u, Read(R"({"GameInfo": {"file_size": 4294967295}})").totalSize);
    EXPECT_EQ(0u, Read(R"({"GameInfo": {"file_size": 4294967301}})").totalSize);
    EXPECT_EQ(0u, Read(R"({"GameInfo": {"file_size": 1.5}})").totalSize);
    EXPECT_EQ(0u, Read(R"({"GameInfo": {"file_size": 1e3}})").totalSize);
    EXPECT_EQ(0u, Read(R"({"GameInfo": {"file_size": -1}})").totalSize);
    EXPECT_EQ(0u, Read(R"({"GameInfo": {"file_size": 0}})").totalSize);
}

TEST_F(GameConfigTest, MissingKeysLeaveFieldsAsTheyWere) {
    ASSERT_TRUE(testenv::WriteFileBytes(path_, R"({"GameInfo": {"game_id": "9"}})"));
    GameConfig config;
    config.gameUrl = L"kept";
    config.totalSize = 77;
    ReadGameConfig(path_, config);
    EXPECT_EQ(L"kept", config.gameUrl);
    EXPECT_EQ(77u, config.totalSize);
    EXPECT_EQ(L"9", config.gameId);
}

TEST_F(GameConfigTest, EmbeddedNulEndsAString) {
    EXPECT_EQ(L"ab", Read(R"({"GameInfo": {"game_id": "ab\u0000cd"}})").gameId);
}

TEST_F(GameConfigTest, HugeFileDoesNotCrash) {
    {
        std::ofstream out(std::filesystem::path(path_), std::ios::binary);
        out << "{\"GameInfo\": {\"game_id\": \"big\", \"pad\": \"";
        std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 100; ++i) out << chunk;
        out << "\"}}";
    }
    GameConfig config;
    ReadGameConfig(path_, config);
    EXPECT_EQ(L"big", config.gameId);
}

TEST_F(GameConfigTest, EachFailureLogsItsLine) {
    TraceCapture capture;
    GameConfig config;
    ReadGameConfig(dir_ + L"\\absent.json", config);
    Read("{\"GameInfo\": ");
    Read("[1]");
    auto lines = capture.Lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(L"打开配置文件失败！", TraceMessage(lines[0]));
    EXPECT_EQ(L"解析json失败！", TraceMessage(lines[1]));
    EXPECT_EQ(L"DownloadInstallManager::InitConfig", TraceFunction(lines[0]));
}

// Nesting depth comes from the file: it must not be able to exhaust the stack.
TEST_F(GameConfigTest, DeepNestingFailsToParseInsteadOfCrashing) {
    const size_t depth = 100000;
    TraceCapture capture;
    ExpectDefaults(Read(std::string(depth, '[')));
    ExpectDefaults(Read(std::string(depth, '[') + std::string(depth, ']')));
    GameConfig config = Read("{\"GameInfo\": {\"game_id\": \"deep\", \"pad\": " + std::string(depth, '[') +
                             std::string(depth, ']') + "}}");
    EXPECT_EQ(L"deep", config.gameId);
    EXPECT_EQ(1u, capture.CountMessage(L"解析json失败！"));
    EXPECT_EQ(0u, capture.CountMessage(L"解析json异常！"));
}

// The digest is optional; one given wrongly is marked malformed (no install
// may go ahead without the check the publisher asked for), and the log says so.
TEST_F(GameConfigTest, Sha256IsReadInLowerCaseOrMarkedMalformedWithALogLine) {
    const std::string lower = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
    std::string upper = lower;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    struct Case {
        std::string value;  // JSON text of the member's value; "" leaves the key out
        std::string expected;
    } cases[] = {
        {"\"" + lower + "\"", lower},
        {"\"" + upper + "\"", lower},
        {"", ""},
        {"\"" + lower.substr(1) + "\"", ""},          // 63 digits
        {"\"" + lower + "0\"", ""},                   // 65 digits
        {"\"" + lower.substr(1) + "g\"", ""},         // not hexadecimal
        {"\" " + lower.substr(1) + "\"", ""},         // padded
        {"\"\"", ""},
        {"12345", ""},
        {"null", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        TraceCapture capture;
        std::string member = c.value.empty() ? "" : ", \"sha256\": " + c.value;
        GameConfig config = Read("{\"GameInfo\": {\"game_id\": \"g\"" + member + "}}");
        EXPECT_EQ(c.expected, config.sha256);
        EXPECT_EQ(L"g", config.gameId);
        bool malformed = !c.value.empty() && c.expected.empty();
        EXPECT_EQ(malformed, config.sha256Malformed);
        EXPECT_EQ(malformed ? 1u : 0u, capture.CountMessage(L"sha256格式错误！"));
    }
}

// The chunk store's keys: each may be left out; one given wrongly is marked
// malformed, with a log line naming it, and never used.
TEST_F(GameConfigTest, StoreKeysAreReadOrMarkedMalformed) {
    const std::string key =
        "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAE7aEyIsXLdnt09uBWV3eqfSVkp40mnLds5TCUSGOy2aimyW7adVuGDlw4VHQM10kkhOlZGAMhWiOT"
        "9Cs0UEPuDw==";
    const struct {
        std::string members;
        std::wstring manifestUrl;
        unsigned connections;
        std::string publisherKey;
        const wchar_t* logLine;  // null: well-formed
    } cases[] = {
        {"", L"", kDefaultConnections, "", nullptr},
        {R"("manifest_url": "https://cdn.example.com/g/latest.json", "connections": 2, "publisher_key": ")" + key + "\"",
         L"https://cdn.example.com/g/latest.json", 2, key, nullptr},
        {R"("manifest_url": "http://127.0.0.1:8080/latest.json?v=2")", L"http://127.0.0.1:8080/latest.json?v=2",
         kDefaultConnections, "", nullptr},
        {R"("connections": 1)", L"", 1, "", nullptr},
        {R"("connections": 8)", L"", 8, "", nullptr},
        {R"("manifest_url": "ftp://cdn.example.com/latest.json")", L"", kDefaultConnections, "", L"manifest_url格式错误！"},
        {R"("manifest_url": "latest.json")", L"", kDefaultConnections, "", L"manifest_url格式错误！"},
        {R"("manifest_url": "")", L"", kDefaultConnections, "", L"manifest_url格式错误！"},
        {R"("manifest_url": 1)", L"", kDefaultConnections, "", L"manifest_url格式错误！"},
        {R"("connections": 0)", L"", kDefaultConnections, "", L"connections格式错误！"},
        {R"("connections": 9)", L"", kDefaultConnections, "", L"connections格式错误！"},
        {R"("connections": -2)", L"", kDefaultConnections, "", L"connections格式错误！"},
        {R"("connections": 2.5)", L"", kDefaultConnections, "", L"connections格式错误！"},
        {R"("connections": "4")", L"", kDefaultConnections, "", L"connections格式错误！"},
        {R"("publisher_key": ")" + key.substr(4) + "\"", L"", kDefaultConnections, "", L"publisher_key格式错误！"},
        {R"("publisher_key": "bm90IGEga2V5")", L"", kDefaultConnections, "", L"publisher_key格式错误！"},
        {R"("publisher_key": true)", L"", kDefaultConnections, "", L"publisher_key格式错误！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.members);
        TraceCapture capture;
        GameConfig config = Read("{\"GameInfo\": {\"game_id\": \"g\"" + (c.members.empty() ? "" : ", " + c.members) + "}}");
        EXPECT_EQ(c.manifestUrl, config.manifestUrl);
        EXPECT_EQ(c.connections, config.connections);
        EXPECT_EQ(c.publisherKey, config.publisherKey);
        EXPECT_EQ(c.logLine != nullptr, config.storeKeyMalformed);
        if (c.logLine != nullptr) {
            EXPECT_EQ(1u, capture.CountMessage(c.logLine));
        }
    }
}
