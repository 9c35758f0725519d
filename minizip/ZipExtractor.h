#pragma once
#include "ZipArchive.h"

#include <string>

// Unpacks every entry of the archive at `archivePath` under `folder` (created
// when missing) with its inner path, overwriting existing files, streaming
// each entry to disk. Names, encryption and methods of all entries are checked
// before anything is written; a later data fault stops the run and leaves the
// files already written in place. Never throws.
ZipResult ExtractArchive(const std::wstring& archivePath, const std::wstring& folder);
