#pragma once
#include "StoreError.h"

#include <string>
#include <string_view>

namespace chunkstore {

// Checks one manifest path (UTF-8, '/' between components, relative to the
// game folder) against every rule of store/FORMAT.md that keeps a writer
// inside that folder on Windows: nothing absolute, no drive letters, no '.'
// or '..', no characters Windows forbids (':' for alternate streams among
// them), no device names, no trailing dots or spaces, bounded lengths.
StoreError CheckStorePath(std::string_view path);

// The path with every letter mapped by the store's case rule (ASCII, Latin-1,
// Latin Extended-A, Greek, Cyrillic and full-width Latin letters to their
// upper case), so that two paths Windows would open as one file fold to the
// same text. `path` must be valid UTF-8 (CheckStorePath holds).
std::string FoldPathCase(std::string_view path);

}  // namespace chunkstore
