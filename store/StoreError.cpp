#include "StoreError.h"

namespace chunkstore {

const char* StoreErrorText(StoreError error) {
    switch (error) {
        case StoreError::Ok: return "ok";
        case StoreError::OutOfMemory: return "out of memory";
        case StoreError::HashUnavailable: return "SHA-256 is not available";
        case StoreError::Truncated: return "data ends early";
        case StoreError::BadVarint: return "malformed or overlong variable-length number";
        case StoreError::TrailingBytes: return "bytes after the end";
        case StoreError::NotAManifest: return "not a manifest";
        case StoreError::UnsupportedFormat: return "unknown format version";
        case StoreError::ManifestTooLarge: return "manifest too large";
        case StoreError::BadVersionText: return "malformed version";
        case StoreError::TooManyChunks: return "too many chunks";
        case StoreError::ChunkSizeOutOfBounds: return "chunk size out of bounds";
        case StoreError::DuplicateChunk: return "chunk listed twice";
        case StoreError::TooManyEntries: return "too many entries";
        case StoreError::UnknownEntryKind: return "unknown entry kind";
        case StoreError::ChunkRefOutOfRange: return "chunk reference out of range";
        case StoreError::ChunkTableOrder: return "chunk table not in order of first reference";
        case StoreError::TooManyChunkRefs: return "too many chunk references";
        case StoreError::FileSizeMismatch: return "file size differs from its chunks";
        case StoreError::FileTooLarge: return "file too large";
        case StoreError::GameTooLarge: return "game too large";
        case StoreError::EntriesUnsorted: return "entries out of order";
        case StoreError::DuplicatePath: return "path listed twice";
        case StoreError::CaseCollision: return "paths differ only in case";
        case StoreError::FileIsFolderPrefix: return "a file is also a folder of another path";
        case StoreError::PathEmpty: return "empty path";
        case StoreError::PathTooLong: return "path too long";
        case StoreError::PathNotUtf8: return "path is not valid UTF-8";
        case StoreError::PathAbsolute: return "absolute path";
        case StoreError::PathEmptyComponent: return "empty path component";
        case StoreError::PathDotComponent: return "'.' or '..' in path";
        case StoreError::PathBadCharacter: return "character not allowed in a Windows name";
        case StoreError::PathReservedName: return "reserved device name";
        case StoreError::PathTrailingDotOrSpace: return "name ends with a dot or space";
        case StoreError::PathComponentTooLong: return "path component too long";
        case StoreError::PathReservedForLauncher: return "name reserved for the launcher";
        case StoreError::PointerTooLarge: return "pointer too large";
        case StoreError::PointerNotJson: return "pointer is not valid JSON";
        case StoreError::PointerBadField: return "pointer field missing, unknown or malformed";
        case StoreError::PointerBadManifestName: return "pointer names a manifest outside the store layout";
        case StoreError::PointerUnsigned: return "pointer is not signed";
        case StoreError::PublisherKeyInvalid: return "publisher key is not a P-256 public key";
        case StoreError::SignatureMalformed: return "malformed signature";
        case StoreError::SignatureMismatch: return "signature does not match";
        case StoreError::VersionRollback: return "version older than the installed one";
        case StoreError::ManifestSizeMismatch: return "manifest size differs from the pointer";
        case StoreError::ManifestHashMismatch: return "manifest SHA-256 differs from the pointer";
        case StoreError::ManifestVersionMismatch: return "manifest version differs from the pointer";
        case StoreError::ChunkStoredSizeMismatch: return "stored chunk size differs from the manifest";
        case StoreError::ChunkBadEncoding: return "malformed chunk encoding";
        case StoreError::ChunkSizeMismatch: return "chunk decodes to another size";
        case StoreError::ChunkHashMismatch: return "chunk SHA-256 differs from its name";
    }
    return "unknown error";
}

}  // namespace chunkstore
