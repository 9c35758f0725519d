#pragma once
#include <string>

// The Game folder beside the executable: the one place that names it, the
// package and the files of the game in it, the marker of an unfinished
// install, and the clearing of an old install before a new one.

// Lies in the Game folder from before the first extracted entry until after
// the last: a game folder holding it is half installed.
extern const wchar_t kInstallMarkerFile[];

// <executable folder>\Game
std::wstring GameDir();
// The downloaded package: Game\GameSetup.zip.
std::wstring GamePackagePath();
// A file of the game given relative to the Game folder (start_path).
std::wstring GameFilePath(const std::wstring& relative);

// True when `gameDir` holds the install marker.
bool IsInstallIncomplete(const std::wstring& gameDir);
// Writes the marker; a failure is logged on behalf of `function`.
bool MarkInstallIncomplete(const std::wstring& gameDir, const wchar_t* function);
// Deletes the marker; true when it is gone. A failure is logged on behalf of `function`.
bool ClearInstallIncomplete(const std::wstring& gameDir, const wchar_t* function);

enum class GameDirPreparation {
    Ready,           // an empty Game folder waits for the package
    NotWritable,     // the executable's folder takes no new files
    OldInstallKept,  // an old install (or part of one) could not be removed
};

// Before a download, on a worker thread (it may take long): moves an old
// Game folder aside in one step, so that no start from then on finds a game
// in it, removes it, and makes an empty Game folder. What a stopped earlier
// run left aside is removed first.
GameDirPreparation PrepareGameDir();
