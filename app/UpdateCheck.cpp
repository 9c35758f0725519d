#include "UpdateCheck.h"

#include "Paths.h"
#include "Platform.h"
#include "ScopedHandle.h"
#include "StoreError.h"
#include "StoreLimits.h"
#include "TraceLogger.h"
#include "Version.h"

namespace {

// Beside the installed-version record; the store refuses ".korva" paths.
const wchar_t kValidatorsFile[] = L".korva-latest";
const size_t kMaxValidatorsBytes = 4096;

// Header values are ASCII; anything else is not kept (and then not sent).
bool ToAscii(const std::wstring& wide, std::string& narrow) {
    narrow.clear();
    for (wchar_t c : wide) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
        narrow += static_cast<char>(c);
    }
    return true;
}

UpdateCheck Judged(UpdateCheckOutcome outcome) {
    UpdateCheck check;
    check.outcome = outcome;
    return check;
}

}  // namespace

UpdateCheck JudgePointerAnswer(const FetchAnswer& answer, const std::string& installedVersion,
                               const std::string& publisherKey) {
    switch (answer.outcome) {
    case FetchOutcome::NotModified:
        return Judged(UpdateCheckOutcome::UpToDate);
    case FetchOutcome::Unreachable:
        TRACE_LOG_AS(L"CheckForUpdate", TRACE_LEVEL_WARNING, L"store unreachable, status:%u; the installed game starts",
                     static_cast<unsigned>(answer.status));
        return Judged(UpdateCheckOutcome::Unreachable);
    case FetchOutcome::Fetched:
        break;
    }
    UpdateCheck check;
    chunkstore::StoreError error = chunkstore::DecodePointerFile(answer.body, check.pointer);
    if (error == chunkstore::StoreError::Ok && !publisherKey.empty()) {
        error = chunkstore::VerifyPointerSignature(check.pointer, publisherKey);
    }
    if (error == chunkstore::StoreError::Ok && chunkstore::IsValidVersion(installedVersion)) {
        error = chunkstore::CheckNoRollback(installedVersion, check.pointer.version);
    }
    if (error != chunkstore::StoreError::Ok) {
        TRACE_LOG_AS(L"CheckForUpdate", TRACE_LEVEL_ERROR, L"latest.json refused: %hs; the installed game starts",
                     chunkstore::StoreErrorText(error));
        return Judged(UpdateCheckOutcome::Refused);
    }
    check.validators = answer.validators;
    const bool newer = !chunkstore::IsValidVersion(installedVersion) ||
                       chunkstore::CompareVersions(check.pointer.version, installedVersion) > 0;
    check.outcome = newer ? UpdateCheckOutcome::NewVersion : UpdateCheckOutcome::UpToDate;
    return check;
}

UpdateCheck CheckForUpdate(const std::wstring& pointerUrl, const std::wstring& gameDir,
                           const std::string& installedVersion, const std::string& publisherKey) {
    const FetchAnswer answer = FetchIfChanged(pointerUrl, LoadPointerValidators(gameDir), kUpdateCheckDeadlineMs,
                                              chunkstore::kMaxPointerBytes);
    UpdateCheck check = JudgePointerAnswer(answer, installedVersion, publisherKey);
    if (check.outcome == UpdateCheckOutcome::UpToDate && answer.outcome == FetchOutcome::Fetched) {
        SavePointerValidators(gameDir, check.validators);
    }
    return check;
}

HttpValidators LoadPointerValidators(const std::wstring& gameDir) {
    HttpValidators validators;
    ScopedHandle file(CreateFileW(CombinePath(gameDir, kValidatorsFile).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        return validators;
    }
    char buffer[kMaxValidatorsBytes] = {};
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr)) {
        return validators;
    }
    // Two lines: the ETag, then Last-Modified; either may be empty.
    const std::string text(buffer, read);
    const size_t first = text.find('\n');
    const size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
    if (second == std::string::npos || second + 1 != text.size()) {
        return validators;
    }
    validators.etag.assign(text.begin(), text.begin() + first);
    validators.lastModified.assign(text.begin() + first + 1, text.begin() + second);
    return validators;
}

bool SavePointerValidators(const std::wstring& gameDir, const HttpValidators& validators) {
    std::string etag;
    std::string lastModified;
    if (!ToAscii(validators.etag, etag)) {
        etag.clear();
    }
    if (!ToAscii(validators.lastModified, lastModified)) {
        lastModified.clear();
    }
    const std::string text = etag + "\n" + lastModified + "\n";
    const std::wstring path = CombinePath(gameDir, kValidatorsFile);
    ScopedHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    DWORD written = 0;
    if (!file.Valid() || text.size() > kMaxValidatorsBytes ||
        !WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        TRACE_LOG_AS(L"SavePointerValidators", TRACE_LEVEL_ERROR, L"validators not kept! lasterror:%d, file:%s",
                     static_cast<int>(GetLastError()), path.c_str());
        return false;
    }
    return true;
}
