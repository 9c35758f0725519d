#pragma once
#include "Digest.h"
#include "Platform.h"
#include "ScopedHandle.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// The record of a chunked install under way, in Game\.korva (GameState.h):
//   install.manifest  the manifest being installed, as fetched
//   install.journal   a text file: the line "korva-journal 1 <SHA-256 of that
//                     manifest in hex>", then one line per chunk whose bytes
//                     are all written into the game's files: its index in
//                     the manifest's chunk table, in decimal
// A line is appended once a chunk's last write has returned, so a launcher
// killed at any moment loses at most the chunks it was writing; an unended
// last line is ignored. Because power may fail between the writes and the
// disk, a resumed install reads each recorded chunk back and checks it
// before it counts it done.
class InstallJournal {
public:
    InstallJournal() = default;
    InstallJournal(const InstallJournal&) = delete;
    InstallJournal& operator=(const InstallJournal&) = delete;

    // Starts the record of a new install, replacing any other: the manifest,
    // then a journal of no chunks. False (logged) when it cannot be written.
    bool Begin(const std::wstring& gameDir, const chunkstore::Digest& manifestSha256,
               const std::string& manifestBytes);
    // Continues the journal of an install found by ReadPendingInstall.
    bool Resume(const std::wstring& gameDir);
    // From any thread. False (logged) when the line could not be written.
    bool Record(uint32_t chunk);

    // Closes the journal and removes both files; true when they are gone.
    bool Remove(const std::wstring& gameDir);

private:
    bool Open(const std::wstring& gameDir);

    std::mutex lock_;
    ScopedHandle file_;  // guarded by lock_ once opened
};

// The install under way whose manifest has `manifestSha256`: its manifest's
// bytes (to be checked again by the caller) and the chunks its journal
// records, in the order recorded. False when there is none, or it belongs
// to another manifest.
bool ReadPendingInstall(const std::wstring& gameDir, const chunkstore::Digest& manifestSha256,
                        std::string& manifestBytes, std::vector<uint32_t>& chunks);
