#pragma once
#include <cstdint>
#include <string>

// What config/config.json tells the launcher about the game it serves.
struct GameConfig {
    std::wstring startPath;       // relative to the Game folder
    std::wstring backgroundPath;  // relative to the executable's folder
    std::wstring gameUrl;
    uint64_t totalSize = 0;       // bytes, shown before the server reports a size
    std::wstring gameId;
    std::string sha256;           // the package's digest in lower-case hex; "" when not given
    bool sha256Malformed = false; // given, but not 64 hexadecimal digits: nothing may be installed
};

// Relative to the executable's folder.
extern const wchar_t kGameConfigFile[];

// Reads the configuration file into `config`. A missing key, or one of
// another type, leaves its field as it was; failures are logged on behalf of
// DownloadInstallManager::InitConfig and never thrown. False when there is
// no configuration to speak of: no file, no JSON, or no GameInfo object.
bool ReadGameConfig(const std::wstring& path, GameConfig& config);
