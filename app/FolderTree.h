#pragma once
#include <functional>
#include <string>

// Called with each folder's path once its entries have been listed and
// before any of them is opened; tests use it to change the tree in between.
using FolderListedHook = std::function<void(const std::wstring& folder)>;

// Removes a folder and everything in it without ever following a link: a
// junction or symbolic link inside is removed as a link and never entered,
// so nothing outside the folder is touched. What an entry is, folder or link
// or file, is read from the handle that is then deleted or descended into,
// never from the listing. Read-only entries are made writable first. True
// when the folder is gone (or never existed). Under Wine, which reaches a
// Unix link to a folder only through its target, such a link stays where it
// is, and so do the folders holding it. Never throws except for allocation
// failure.
bool RemoveFolderTree(const std::wstring& path, const FolderListedHook& afterListing = FolderListedHook());
