#pragma once
#include <string>

// Removes a folder and everything in it without ever following a link: a
// junction or symbolic link inside is removed as a link and never entered,
// so nothing outside the folder is touched. Read-only entries are made
// writable first. True when the folder is gone (or never existed). Under Wine,
// which reaches a Unix link to a folder only through its target, such a link
// stays where it is, and so do the folders holding it. Never throws except
// for allocation failure.
bool RemoveFolderTree(const std::wstring& path);
