#include "GameConfig.h"

#include "Base64.h"
#include "EcdsaP256.h"
#include "InternetConnection.h"
#include "Sha256.h"
#include "TextHelpers.h"
#include "TraceLogger.h"

#include <rapidjson/document.h>
#include <rapidjson/filereadstream.h>

#include <cstdio>
#include <limits>
#include <vector>

const wchar_t kGameConfigFile[] = L"./config/config.json";

namespace {

const wchar_t kLogFunction[] = L"DownloadInstallManager::InitConfig";
constexpr size_t kReadBufferBytes = 65536;

void ReadString(const rapidjson::Value& info, const char* key, std::wstring& field) {
    rapidjson::Value::ConstMemberIterator member = info.FindMember(key);
    if (member != info.MemberEnd() && member->value.IsString()) {
        field = AnsiToWide(std::string(member->value.GetString(), member->value.GetStringLength()));
    }
}

// Only a whole number of bytes that fits in 32 bits is a usable size; larger,
// negative or fractional values would show a wrong total, so they are ignored.
void ReadSize(const rapidjson::Value& info, const char* key, uint64_t& field) {
    rapidjson::Value::ConstMemberIterator member = info.FindMember(key);
    if (member == info.MemberEnd() || !member->value.IsNumber()) {
        return;
    }
    const rapidjson::Value& value = member->value;
    if (value.IsUint64() && value.GetUint64() <= std::numeric_limits<uint32_t>::max()) {
        field = static_cast<uint32_t>(value.GetUint64());
    }
}

// Optional, but a digest given wrongly must not turn the check off: the
// publisher meant the package to be checked. Any value present counts as given.
void ReadSha256(const rapidjson::Value& info, GameConfig& config) {
    rapidjson::Value::ConstMemberIterator member = info.FindMember("sha256");
    if (member == info.MemberEnd()) {
        return;
    }
    if (!member->value.IsString() ||
        !ParseSha256Hex(std::string(member->value.GetString(), member->value.GetStringLength()), config.sha256)) {
        config.sha256.clear();
        config.sha256Malformed = true;
        TRACE_LOG_AS(kLogFunction, TRACE_LEVEL_INFORMATION, L"sha256格式错误！");
    }
}

void MarkStoreKeyMalformed(GameConfig& config, const wchar_t* line) {
    config.storeKeyMalformed = true;
    TRACE_LOG_AS(kLogFunction, TRACE_LEVEL_INFORMATION, L"%s", line);
}

// A chunked install needs each of these right when given: a wrong one must
// not fall back to the package or turn a signature check off.
void ReadManifestUrl(const rapidjson::Value& info, GameConfig& config) {
    rapidjson::Value::ConstMemberIterator member = info.FindMember("manifest_url");
    if (member == info.MemberEnd()) {
        return;
    }
    if (member->value.IsString()) {
        config.manifestUrl = AnsiToWide(std::string(member->value.GetString(), member->value.GetStringLength()));
    }
    if (!member->value.IsString() || !IsHttpUrl(config.manifestUrl)) {
        config.manifestUrl.clear();
        MarkStoreKeyMalformed(config, L"manifest_url格式错误！");
    }
}

void ReadConnections(const rapidjson::Value& info, GameConfig& config) {
    rapidjson::Value::ConstMemberIterator member = info.FindMember("connections");
    if (member == info.MemberEnd()) {
        return;
    }
    const rapidjson::Value& value = member->value;
    if (value.IsUint() && value.GetUint() >= 1 && value.GetUint() <= kMostConnections) {
        config.connections = value.GetUint();
    } else {
        MarkStoreKeyMalformed(config, L"connections格式错误！");
    }
}

void ReadPublisherKey(const rapidjson::Value& info, GameConfig& config) {
    rapidjson::Value::ConstMemberIterator member = info.FindMember("publisher_key");
    if (member == info.MemberEnd()) {
        return;
    }
    std::string der;
    chunkstore::P256PublicKey key;
    if (member->value.IsString() &&
        chunkstore::Base64Decode(std::string_view(member->value.GetString(), member->value.GetStringLength()), der) &&
        chunkstore::ParseP256PublicKeyDer(der, key)) {
        config.publisherKey.assign(member->value.GetString(), member->value.GetStringLength());
    } else {
        MarkStoreKeyMalformed(config, L"publisher_key格式错误！");
    }
}

struct FileCloser {
    FILE* file;
    ~FileCloser() {
        if (file != nullptr) {
            fclose(file);
        }
    }
};

}  // namespace

bool ReadGameConfig(const std::wstring& path, GameConfig& config) {
    try {
        FileCloser closer{fopen(WideToAnsi(path).c_str(), "r")};
        if (closer.file == nullptr) {
            TRACE_LOG_AS(kLogFunction, TRACE_LEVEL_INFORMATION, L"打开配置文件失败！");
            return false;
        }
        std::vector<char> buffer(kReadBufferBytes);
        rapidjson::FileReadStream stream(closer.file, buffer.data(), buffer.size());
        rapidjson::Document document;
        // Iterative: the nesting depth comes from the file and must not be
        // able to exhaust the stack. The grammar stays the strict default.
        document.ParseStream<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(stream);
        if (document.HasParseError()) {
            TRACE_LOG_AS(kLogFunction, TRACE_LEVEL_INFORMATION, L"解析json失败！");
            return false;
        }
        if (!document.IsObject()) {
            return false;
        }
        rapidjson::Value::ConstMemberIterator info = document.FindMember("GameInfo");
        if (info == document.MemberEnd() || !info->value.IsObject()) {
            return false;
        }
        ReadString(info->value, "start_path", config.startPath);
        ReadString(info->value, "background", config.backgroundPath);
        ReadString(info->value, "game_url", config.gameUrl);
        ReadSize(info->value, "file_size", config.totalSize);
        ReadString(info->value, "game_id", config.gameId);
        ReadSha256(info->value, config);
        ReadManifestUrl(info->value, config);
        ReadConnections(info->value, config);
        ReadPublisherKey(info->value, config);
        return true;
    } catch (...) {
        TRACE_LOG_AS(kLogFunction, TRACE_LEVEL_INFORMATION, L"解析json异常！");
    }
    return false;
}
