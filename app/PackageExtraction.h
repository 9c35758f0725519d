#pragma once
#include "Platform.h"

#include <string>

// The package extraction and file cleanup of DownloadInstallManager, whose
// DecompressionGame, RemoveFile and RemoveDir forward here. Their log lines
// carry those manager functions' names.

// Codes logged as unZipResult when minizip.dll itself cannot be used; the
// library's own codes are listed in minizip/MiniUnzip.h.
constexpr int kUnzipLibraryMissing = -1;  // minizip.dll absent or not loadable
constexpr int kUnzipExportMissing = -2;   // the DLL lacks mini_unzip_dll

// On the install thread: unpacks Game\GameSetup.zip beside the executable
// into Game with minizip.dll, tells `mainWindow` (WM_GAME_UNZIP_DONE, sent)
// on success, then deletes the package either way. False when the package is
// missing or extraction failed.
bool DecompressGamePackage(HWND mainWindow);
// True when the file existed and was deleted. Never throws.
bool RemoveGameFile(const std::wstring& path);
// Removes the folder tree without following links out of it (FolderTree.h);
// failures are only logged. Never throws.
void RemoveGameDir(const std::wstring& path);
