#include "GameLaunch.h"

#include "GameFolder.h"
#include "StatHelper.h"
#include "TextHelpers.h"
#include "TraceLogger.h"

#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>

bool LaunchGame(HWND mainWindow, const std::wstring& startPath, const std::wstring& launchParams,
                const std::wstring& gameId) {
    if (startPath.empty()) {
        return false;
    }
    const std::wstring gamePath = GameFilePath(startPath);
    TRACE_LOG_AS(L"DownloadInstallManager::StartGame", TRACE_LEVEL_INFORMATION, L"启动游戏gamepath:%s，param:%s",
                 gamePath.c_str(), launchParams.c_str());

    // No working directory: the game inherits the launcher's.
    const INT_PTR result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", gamePath.c_str(), launchParams.c_str(), nullptr, SW_SHOW));
    const bool started = result > 32;
    if (!started) {
        TRACE_LOG_AS(L"DownloadInstallManager::StartGame", TRACE_LEVEL_INFORMATION, L"调起应用失败！errorCode:%d",
                     static_cast<int>(result));
        return false;
    }
    TRACE_LOG_AS(L"DownloadInstallManager::StartGame", TRACE_LEVEL_INFORMATION, L"调起应用成功！successCode:%d",
                 static_cast<int>(result));
    ReportGamePlay(gameId, true);
    SendMessageW(mainWindow, WM_CLOSE, 0, 0);
    return true;
}

void ReportGamePlay(const std::wstring& gameId, bool success) {
    // A report that cannot be sent changes nothing, not even when no thread
    // can be started for it: the launch and the window's close still follow.
    try {
        StatHelper::ExtData extdata;
        extdata["is_success"] = success ? "1" : "0";
        extdata["game_id"] = WideToAnsi(gameId);

        // The collector expects the low 32 bits of the calendar time, signed.
        char timestamp[256] = {};
        snprintf(timestamp, sizeof(timestamp), "%ld", static_cast<long>(static_cast<int32_t>(time(nullptr))));

        StatHelper::Instance().TrackEvent("game_event", "playvane_launcher_game_play", timestamp, extdata);
    } catch (const std::exception& error) {
        TRACE_LOG_AS(L"DownloadInstallManager::ReportGamePlay", TRACE_LEVEL_ERROR, L"play event not sent: %hs",
                     error.what());
    }
}
