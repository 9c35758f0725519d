#pragma once
#include "Digest.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The launcher's own files in the Game folder, under Game\.korva (a store
// manifest may name nothing that starts with ".korva"), and the record of the
// game installed from a chunk store:
//   installed.json      the installed version, its manifest's name, size and
//                       SHA-256, the manifest_url it came from and that
//                       answer's ETag and Last-Modified (UTF-8 JSON)
//   installed.manifest  that manifest's bytes, checked against the record
// Each is written whole under a temporary name, flushed, then renamed over
// the old one, so a reader finds the old file or the new, never a torn one.

extern const wchar_t kGameStateFolder[];
// The record's two files in it; an update switches them in with the game's files.
extern const wchar_t kInstalledRecordFile[];
extern const wchar_t kInstalledManifestFile[];

// <gameDir>\.korva\<name>
std::wstring GameStatePath(const std::wstring& gameDir, const wchar_t* name);
// False when the file is missing, unreadable or longer than `maxBytes`.
bool ReadGameStateFile(const std::wstring& gameDir, const wchar_t* name, size_t maxBytes, std::string& bytes);
// Creates the hidden state folder when needed. Failures are logged.
bool WriteGameStateFile(const std::wstring& gameDir, const wchar_t* name, const std::string& bytes);
// True when the file is gone.
bool RemoveGameStateFile(const std::wstring& gameDir, const wchar_t* name);

struct InstalledVersion {
    std::string version;
    std::string manifestName;
    uint64_t manifestBytes = 0;
    chunkstore::Digest manifestSha256{};
    std::wstring manifestUrl;
    std::wstring pointerETag;          // "" when latest.json's answer had none
    std::wstring pointerLastModified;
};

// False when no game from a store is recorded, or its record is unreadable
// or names no valid version.
bool ReadInstalledVersion(const std::wstring& gameDir, InstalledVersion& installed);
// The recorded manifest's bytes, when they are the ones the record pins.
bool ReadInstalledManifest(const std::wstring& gameDir, const InstalledVersion& installed, std::string& bytes);
// The manifest first, then the record that pins it.
bool WriteInstalledVersion(const std::wstring& gameDir, const InstalledVersion& installed,
                           const std::string& manifestBytes);
