#pragma once
#include "ZipArchive.h"

#include <string>

// Turns an entry's name into a relative Windows path ('\' separators) that
// cannot leave the destination folder: no root, drive or UNC prefix, no ".."
// segment, no character Windows forbids in names, no device name, no segment
// ending in a dot or space (Windows would silently strip it). "." and empty
// segments are dropped, so a directory entry may yield an empty path.
// Called before anything is written; ZipResult::UnsafeName on refusal.
ZipResult MakeEntryPath(const ZipEntry& entry, std::wstring& relative);
