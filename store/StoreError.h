#pragma once

namespace chunkstore {

// Why a store object was refused. Every reader of this library ends in one
// of these instead of throwing.
enum class StoreError {
    Ok = 0,
    OutOfMemory,
    HashUnavailable,
    // Byte-level encoding.
    Truncated,
    BadVarint,
    TrailingBytes,
    // Manifest.
    NotAManifest,
    UnsupportedFormat,
    ManifestTooLarge,
    BadVersionText,
    TooManyChunks,
    ChunkSizeOutOfBounds,
    DuplicateChunk,
    TooManyEntries,
    UnknownEntryKind,
    ChunkRefOutOfRange,
    ChunkTableOrder,
    TooManyChunkRefs,
    FileSizeMismatch,
    FileTooLarge,
    GameTooLarge,
    EntriesUnsorted,
    DuplicatePath,
    CaseCollision,
    FileIsFolderPrefix,
    // Paths inside a manifest.
    PathEmpty,
    PathTooLong,
    PathNotUtf8,
    PathAbsolute,
    PathEmptyComponent,
    PathDotComponent,
    PathBadCharacter,
    PathReservedName,
    PathTrailingDotOrSpace,
    PathComponentTooLong,
    PathReservedForLauncher,
    // Pointer, signature and version order.
    PointerTooLarge,
    PointerNotJson,
    PointerBadField,
    PointerBadManifestName,
    PointerUnsigned,
    PublisherKeyInvalid,
    SignatureMalformed,
    SignatureMismatch,
    VersionRollback,
    ManifestSizeMismatch,
    ManifestHashMismatch,
    ManifestVersionMismatch,
    // Chunks.
    ChunkStoredSizeMismatch,
    ChunkBadEncoding,
    ChunkSizeMismatch,
    ChunkHashMismatch,
};

// A short English description for logs; never null.
const char* StoreErrorText(StoreError error);

}  // namespace chunkstore
