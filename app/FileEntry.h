#pragma once
#include "Platform.h"

#include <string>

// What a file-system entry really is, read from an open handle: a listing or
// a path only says what stood there a moment before.

struct EntryKind {
    bool folder = false;
    // A junction or a symbolic link (not a cloud placeholder or another
    // reparse point that holds real content).
    bool link = false;
};

// False when the file system cannot tell.
bool QueryEntryKind(HANDLE handle, EntryKind& kind);
// Paths compared as the file system does, without case.
bool SamePath(const std::wstring& a, const std::wstring& b);
// Whether the open entry really lies at `expected` (a FinalPath form). Wine
// opens every link as its target, whatever the flags say, and shows a Unix
// link to a file as a plain file: only the handle's real path tells.
// `expected` "" (the file system cannot name handles) passes.
bool NamesItself(HANDLE handle, const std::wstring& expected);
