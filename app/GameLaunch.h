#pragma once
#include "Platform.h"

#include <string>

// The game launch and the play event on behalf of DownloadInstallManager,
// whose StartGame and ReportGamePlay forward here. Both run on whichever
// thread calls them and block it while the play event is sent.

// Starts Game\<startPath> beside the executable with launchParams, reports
// the outcome, then sends WM_CLOSE to mainWindow. An empty startPath does
// nothing at all.
void LaunchGame(HWND mainWindow, const std::wstring& startPath, const std::wstring& launchParams,
                const std::wstring& gameId);

// Sends the one play event: game_id and is_success "1" or "0".
void ReportGamePlay(const std::wstring& gameId, bool success);
