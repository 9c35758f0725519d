#pragma once
#include "ChunkedInstallReport.h"

// The reasons the main window shows when an install or a launch fails: short
// texts that tell the player what to do next.

extern const wchar_t kNoGameUrlReason[];           // no configuration, or no game_url in it
extern const wchar_t kNoStartPathReason[];         // no start_path: nothing could be started
extern const wchar_t kMalformedChecksumReason[];   // sha256 given, but not a digest
extern const wchar_t kMalformedStoreKeyReason[];   // manifest_url, connections or publisher_key given, but not usable
extern const wchar_t kNotWritableReason[];         // the launcher's folder takes no files
extern const wchar_t kOldInstallKeptReason[];      // an old install could not be removed
extern const wchar_t kDownloadFailedReason[];
extern const wchar_t kNoDiskSpaceReason[];         // known before writing that it will not fit
extern const wchar_t kDiskFullReason[];            // the disk filled while the package was written
extern const wchar_t kChecksumFailedReason[];
extern const wchar_t kInstallFailedReason[];
extern const wchar_t kLaunchFailedReason[];
// A chunked install's own.
extern const wchar_t kStoreInvalidReason[];        // latest.json or the manifest is not what it claims
extern const wchar_t kSignatureFailedReason[];     // unsigned or wrongly signed, with publisher_key set
extern const wchar_t kRollbackReason[];            // older than the installed version
extern const wchar_t kUnsafeGameFolderReason[];    // a link inside Game

// The reason for a download that ended with `code`, an HttpDownloadError
// other than Success.
const wchar_t* DownloadFailureReason(unsigned code);
// The reason for a chunked install that ended with `outcome`, any but Installed.
const wchar_t* ChunkedInstallFailureReason(ChunkedInstallOutcome outcome);
