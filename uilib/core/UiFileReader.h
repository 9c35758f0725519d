#pragma once
#include <cstddef>
#include <vector>

namespace Orvel {

enum class UiReadResult { Ok, OpenFailed, NotFound, Empty, TooLarge, ReadFailed };

// Whole-file readers for skin files. `bytes` holds the content on Ok and is
// empty otherwise; nothing larger than maxBytes is read.

// A file by its path (absolute, or relative to the current folder).
UiReadResult ReadFileBytes(const wchar_t* path, size_t maxBytes, std::vector<unsigned char>& bytes);
// An entry of the skin zip (resource path + zip name, or the shared open
// archive of UiResourceLocation), found by name without regard to case.
// OpenFailed: the archive; NotFound: the entry.
UiReadResult ReadSkinZipEntry(const wchar_t* name, size_t maxBytes, std::vector<unsigned char>& bytes);
// A skin file by name: under the resource path, or in the skin zip when one
// is set; failing that, the name as a path of its own.
UiReadResult ReadSkinFile(const wchar_t* name, size_t maxBytes, std::vector<unsigned char>& bytes);

}  // namespace Orvel
