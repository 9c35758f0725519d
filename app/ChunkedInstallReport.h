#pragma once
#include <cstdint>

// How a chunked install ended; every value but Installed is a failure whose
// reason the window shows (FailureReasons.h).
enum class ChunkedInstallOutcome {
    Installed,
    KeyUnusable,      // publisher_key names no point of the curve
    Unreachable,      // latest.json, the manifest or a chunk could not be fetched
    StoreInvalid,     // latest.json or the manifest is not what it claims or breaks the format's rules
    Unsigned,         // publisher_key is set and latest.json carries no signature
    SignatureInvalid, // its signature does not verify
    Rollback,         // latest.json names a version older than the installed one
    NotWritable,      // the launcher's folder or the Game folder takes no files
    OldInstallKept,   // an old install could not be removed
    NoDiskSpace,      // known before writing
    DiskFull,         // the disk filled while chunks were written
    Unsafe,           // a link inside Game would have taken a write elsewhere
    ChunkCorrupt,     // a chunk stayed wrong after every re-fetch
    Failed,           // any other refusal of the file system
};

// What a chunked install tells the window, from the install's thread.
class ChunkedInstallListener {
public:
    virtual ~ChunkedInstallListener() = default;
    // The stored bytes of every chunk of the version: what 100 % stands for.
    virtual void OnInstallTotal(uint64_t totalBytes) = 0;
    // `downloadedBytes` counts chunks done (in earlier runs too) and the
    // bytes of chunks on their way; the speed counts every byte received.
    virtual void OnInstallProgress(unsigned percent, uint64_t bytesPerSecond, uint64_t downloadedBytes) = 0;
};
