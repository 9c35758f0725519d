#pragma once
#include "ZipArchive.h"

#include <string>

// At most this many threads unpack one archive.
constexpr unsigned kMaxExtractWorkers = 8;

// Unpacks every entry of the archive at `archivePath` under `folder` (created
// when missing) with its inner path, overwriting existing files. Names,
// encryption and methods of all entries are checked before anything is
// written, then every folder is made; then the files are spread over
// `workers` threads (0: one per processor; never more than
// kMaxExtractWorkers; the calling thread is one of them, and all are joined
// before the call returns), largest first, each streamed to disk.
// A data fault stops the run with the code of the first failing entry in
// directory order, exactly as unpacking entry after entry would: the entries
// before it are still written, the ones after it stop. Files already written
// stay; the file of an entry that failed or stopped is deleted.
// `workersUsed`, when given, receives how many threads ran. Never throws.
ZipResult ExtractArchive(const std::wstring& archivePath, const std::wstring& folder, unsigned workers = 0,
                         unsigned* workersUsed = nullptr);
