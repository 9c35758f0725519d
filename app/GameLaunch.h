#pragma once
#include "Platform.h"

#include <string>

// The game launch and the play event on behalf of DownloadInstallManager,
// whose StartGame and ReportGamePlay forward here. Both run on whichever
// thread calls them and block it while the play event is sent.

// Starts Game\<startPath> beside the executable with launchParams. When the
// game started it reports so and sends WM_CLOSE to mainWindow; when it did
// not, it only logs and returns false: the failure is the caller's to show
// and report. An empty startPath does nothing at all and returns false.
bool LaunchGame(HWND mainWindow, const std::wstring& startPath, const std::wstring& launchParams,
                const std::wstring& gameId);

// Sends the one play event: game_id and is_success "1" or "0".
void ReportGamePlay(const std::wstring& gameId, bool success);
