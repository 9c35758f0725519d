#include "GameState.h"

#include "Paths.h"
#include "Platform.h"
#include "ScopedHandle.h"
#include "Sha256Hasher.h"
#include "StoreLimits.h"
#include "TextHelpers.h"
#include "TraceLogger.h"
#include "Version.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <exception>

const wchar_t kGameStateFolder[] = L".korva";
const wchar_t kInstalledRecordFile[] = L"installed.json";
const wchar_t kInstalledManifestFile[] = L"installed.manifest";

namespace {

const wchar_t kStateFunction[] = L"GameState::Write";
constexpr size_t kMaxRecordBytes = 64 * 1024;
constexpr unsigned kRecordFormat = 1;

bool WriteWhole(HANDLE file, const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + at, part, &written, nullptr) || written != part) {
            return false;
        }
        at += part;
    }
    return true;
}

std::string TextOf(const rapidjson::Value& object, const char* key) {
    rapidjson::Value::ConstMemberIterator member = object.FindMember(key);
    if (member == object.MemberEnd() || !member->value.IsString()) {
        return std::string();
    }
    return std::string(member->value.GetString(), member->value.GetStringLength());
}

std::wstring WideTextOf(const rapidjson::Value& object, const char* key) {
    std::string utf8 = TextOf(object, key);
    std::wstring wide;
    Utf8ToWide(utf8.data(), static_cast<int>(utf8.size()), wide);
    return wide;
}

void WriteText(rapidjson::Writer<rapidjson::StringBuffer>& writer, const char* key, const std::string& text) {
    writer.Key(key);
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

std::string RecordJson(const InstalledVersion& installed) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("format");
    writer.Uint(kRecordFormat);
    WriteText(writer, "version", installed.version);
    WriteText(writer, "manifest", installed.manifestName);
    writer.Key("size");
    writer.Uint64(installed.manifestBytes);
    WriteText(writer, "sha256", chunkstore::DigestHex(installed.manifestSha256));
    WriteText(writer, "manifest_url", WideToUtf8(installed.manifestUrl));
    WriteText(writer, "etag", WideToUtf8(installed.pointerETag));
    WriteText(writer, "last_modified", WideToUtf8(installed.pointerLastModified));
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}

}  // namespace

std::wstring GameStatePath(const std::wstring& gameDir, const wchar_t* name) {
    return CombinePath(CombinePath(gameDir, kGameStateFolder), name);
}

bool ReadGameStateFile(const std::wstring& gameDir, const wchar_t* name, size_t maxBytes, std::string& bytes) {
    // The journal may be open for appending meanwhile.
    ScopedHandle file(CreateFileW(GameStatePath(gameDir, name).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    LARGE_INTEGER size = {};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) > maxBytes) {
        return false;
    }
    try {
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    } catch (const std::exception&) {
        return false;
    }
    size_t at = 0;
    while (at < bytes.size()) {
        DWORD read = 0;
        DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1u << 20));
        if (!ReadFile(file.Get(), &bytes[at], part, &read, nullptr) || read == 0) {
            return false;
        }
        at += read;
    }
    return true;
}

bool WriteGameStateFile(const std::wstring& gameDir, const wchar_t* name, const std::string& bytes) {
    const std::wstring folder = CombinePath(gameDir, kGameStateFolder);
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
        SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    const std::wstring path = GameStatePath(gameDir, name);
    const std::wstring temporary = path + L".new";
    bool written = false;
    {
        ScopedHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        written = file.Valid() && WriteWhole(file.Get(), bytes) && FlushFileBuffers(file.Get());
    }
    if (!written || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        TRACE_LOG_AS(kStateFunction, TRACE_LEVEL_ERROR, L"state file not written! lasterror:%d, file:%s",
                     static_cast<int>(GetLastError()), path.c_str());
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

bool RemoveGameStateFile(const std::wstring& gameDir, const wchar_t* name) {
    if (DeleteFileW(GameStatePath(gameDir, name).c_str())) {
        return true;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool ReadInstalledVersion(const std::wstring& gameDir, InstalledVersion& installed) {
    std::string bytes;
    if (!ReadGameStateFile(gameDir, kInstalledRecordFile, kMaxRecordBytes, bytes)) {
        return false;
    }
    rapidjson::Document document;
    document.Parse<rapidjson::kParseIterativeFlag>(bytes.data(), bytes.size());
    if (document.HasParseError() || !document.IsObject()) {
        return false;
    }
    InstalledVersion read;
    read.version = TextOf(document, "version");
    read.manifestName = TextOf(document, "manifest");
    rapidjson::Value::ConstMemberIterator format = document.FindMember("format");
    rapidjson::Value::ConstMemberIterator size = document.FindMember("size");
    if (format == document.MemberEnd() || !format->value.IsUint() || format->value.GetUint() != kRecordFormat ||
        !chunkstore::IsValidVersion(read.version) || size == document.MemberEnd() || !size->value.IsUint64() ||
        size->value.GetUint64() > chunkstore::kMaxManifestBytes ||
        !chunkstore::ParseDigestHex(TextOf(document, "sha256"), read.manifestSha256)) {
        return false;
    }
    read.manifestBytes = size->value.GetUint64();
    read.manifestUrl = WideTextOf(document, "manifest_url");
    read.pointerETag = WideTextOf(document, "etag");
    read.pointerLastModified = WideTextOf(document, "last_modified");
    installed = read;
    return true;
}

bool ReadInstalledManifest(const std::wstring& gameDir, const InstalledVersion& installed, std::string& bytes) {
    chunkstore::Digest digest;
    return ReadGameStateFile(gameDir, kInstalledManifestFile, static_cast<size_t>(installed.manifestBytes), bytes) &&
           bytes.size() == installed.manifestBytes && chunkstore::Sha256Of(bytes.data(), bytes.size(), digest) &&
           digest == installed.manifestSha256;
}

bool WriteInstalledVersion(const std::wstring& gameDir, const InstalledVersion& installed,
                           const std::string& manifestBytes) {
    return WriteGameStateFile(gameDir, kInstalledManifestFile, manifestBytes) &&
           WriteGameStateFile(gameDir, kInstalledRecordFile, RecordJson(installed));
}
