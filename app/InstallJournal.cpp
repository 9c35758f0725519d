#include "InstallJournal.h"

#include "GameState.h"
#include "StoreLimits.h"
#include "TraceLogger.h"

#include <cstdint>
#include <string>

namespace {

const wchar_t kJournalFunction[] = L"InstallJournal::Record";
const wchar_t kJournalFile[] = L"install.journal";
const wchar_t kManifestFile[] = L"install.manifest";
const char kHeaderStart[] = "korva-journal 1 ";
// The header, then at most one line of up to ten digits per chunk.
constexpr size_t kMaxJournalBytes = 128 + 11 * static_cast<size_t>(chunkstore::kMaxChunks);

std::string Header(const chunkstore::Digest& manifestSha256) {
    return kHeaderStart + chunkstore::DigestHex(manifestSha256) + "\n";
}

// A whole line of one to ten digits that fits in 32 bits.
bool ParseIndex(const std::string& line, uint32_t& index) {
    if (line.empty() || line.size() > 10 || line.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    uint64_t value = std::stoull(line);
    index = static_cast<uint32_t>(value);
    return value <= UINT32_MAX;
}

}  // namespace

bool InstallJournal::Begin(const std::wstring& gameDir, const chunkstore::Digest& manifestSha256,
                           const std::string& manifestBytes) {
    std::lock_guard<std::mutex> hold(lock_);
    file_.Close();
    // The old journal goes first: it must never pair with the new manifest.
    return RemoveGameStateFile(gameDir, kJournalFile) &&
           WriteGameStateFile(gameDir, kManifestFile, manifestBytes) &&
           WriteGameStateFile(gameDir, kJournalFile, Header(manifestSha256)) && Open(gameDir);
}

bool InstallJournal::Resume(const std::wstring& gameDir) {
    std::lock_guard<std::mutex> hold(lock_);
    return Open(gameDir);
}

bool InstallJournal::Open(const std::wstring& gameDir) {
    const std::wstring path = GameStatePath(gameDir, kJournalFile);
    file_.Reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.Valid()) {
        TRACE_LOG_AS(kJournalFunction, TRACE_LEVEL_ERROR, L"journal not opened! lasterror:%d, file:%s",
                     static_cast<int>(GetLastError()), path.c_str());
        return false;
    }
    return true;
}

bool InstallJournal::Record(uint32_t chunk) {
    const std::string line = std::to_string(chunk) + "\n";
    std::lock_guard<std::mutex> hold(lock_);
    DWORD written = 0;
    if (!file_.Valid() || !WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size()) {
        TRACE_LOG_AS(kJournalFunction, TRACE_LEVEL_ERROR, L"journal not written! lasterror:%d, chunk:%u",
                     static_cast<int>(GetLastError()), chunk);
        return false;
    }
    return true;
}

bool InstallJournal::Remove(const std::wstring& gameDir) {
    std::lock_guard<std::mutex> hold(lock_);
    file_.Close();
    return RemoveGameStateFile(gameDir, kJournalFile) && RemoveGameStateFile(gameDir, kManifestFile);
}

bool ReadPendingInstall(const std::wstring& gameDir, const chunkstore::Digest& manifestSha256,
                        std::string& manifestBytes, std::vector<uint32_t>& chunks) {
    std::string journal;
    const std::string header = Header(manifestSha256);
    if (!ReadGameStateFile(gameDir, kJournalFile, kMaxJournalBytes, journal) ||
        journal.compare(0, header.size(), header) != 0 ||
        !ReadGameStateFile(gameDir, kManifestFile, static_cast<size_t>(chunkstore::kMaxManifestBytes),
                           manifestBytes)) {
        return false;
    }
    chunks.clear();
    size_t at = header.size();
    for (size_t end = journal.find('\n', at); end != std::string::npos; at = end + 1, end = journal.find('\n', at)) {
        uint32_t index = 0;
        if (!ParseIndex(journal.substr(at, end - at), index)) {
            break;  // what follows a damaged line is not trusted either
        }
        chunks.push_back(index);
    }
    return true;
}
