#pragma once
#include "Platform.h"

#include <string>

// Every path of the core is built from the executable's folder, never from
// the current directory. None of these functions throws.

// Folder of the running executable, without a trailing separator; "" on failure.
std::wstring GetModuleDir();
// dir and part joined with PathCombineW rules; "" when the two together reach
// 2046 units or the join fails.
std::wstring CombinePath(const std::wstring& dir, const std::wstring& part);
bool PathExists(const std::wstring& path);
// Creates the folder and its missing parents; true when anything was created.
bool CreateDirs(const std::wstring& path);
// The absolute form of `path` (the current directory resolves a relative
// one), without a trailing separator except at a root; "" on failure.
std::wstring FullPath(const std::wstring& path);
// Where an open file or folder really is, links and short names resolved;
// "" when the file system cannot tell.
std::wstring FinalPath(HANDLE handle);
// The same for the file or folder at `path`, following links.
std::wstring FinalPath(const std::wstring& path);
