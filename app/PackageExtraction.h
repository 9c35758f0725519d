#pragma once
#include "Platform.h"

#include <cstdint>
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
// missing or extraction failed; the install marker (GameFolder.h) then stays.
bool DecompressGamePackage(HWND mainWindow);
// The sum of the archive's uncompressed entry sizes from its central
// directory; false when the archive cannot be read.
bool UnpackedSize(const std::wstring& archive, uint64_t& bytes);
// True when the file existed and was deleted. Never throws.
bool RemoveGameFile(const std::wstring& path);
// Removes the folder tree without following links out of it (FolderTree.h);
// true when it is gone, failures logged. Never throws.
bool RemoveGameDir(const std::wstring& path);
