#include "UpdateCheck.h"

#include "StoreError.h"
#include "StoreLimits.h"
#include "TraceLogger.h"
#include "Version.h"

namespace {

void RememberValidators(const std::wstring& pointerUrl, const std::wstring& gameDir, const InstalledVersion& installed,
                        const HttpValidators& validators) {
    InstalledVersion record = installed;
    record.manifestUrl = pointerUrl;
    record.pointerETag = validators.etag;
    record.pointerLastModified = validators.lastModified;
    std::string manifest;
    if (!ReadInstalledManifest(gameDir, installed, manifest) || !WriteInstalledVersion(gameDir, record, manifest)) {
        TRACE_LOG_AS(L"CheckForUpdate", TRACE_LEVEL_WARNING, L"latest.json's validators not kept");
    }
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
                           const InstalledVersion& installed, const std::string& publisherKey) {
    // Validators name an answer of the URL they came from.
    HttpValidators last;
    if (installed.manifestUrl == pointerUrl) {
        last.etag = installed.pointerETag;
        last.lastModified = installed.pointerLastModified;
    }
    const FetchAnswer answer =
        FetchIfChanged(pointerUrl, last, kUpdateCheckDeadlineMs, chunkstore::kMaxPointerBytes);
    UpdateCheck check = JudgePointerAnswer(answer, installed.version, publisherKey);
    if (check.outcome == UpdateCheckOutcome::UpToDate && answer.outcome == FetchOutcome::Fetched) {
        RememberValidators(pointerUrl, gameDir, installed, answer.validators);
    }
    return check;
}
