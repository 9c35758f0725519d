#pragma once
#include <cstdint>
#include <string>

// Connections a chunked install opens at once: this many unless the
// configuration's `connections` says otherwise, never more than the most.
constexpr unsigned kDefaultConnections = 4;
constexpr unsigned kMostConnections = 8;

// What config/config.json tells the launcher about the game it serves.
struct GameConfig {
    std::wstring startPath;       // relative to the Game folder
    std::wstring backgroundPath;  // relative to the executable's folder
    std::wstring gameUrl;
    uint64_t totalSize = 0;       // bytes, shown before the server reports a size
    std::wstring gameId;
    std::string sha256;           // the package's digest in lower-case hex; "" when not given
    bool sha256Malformed = false; // given, but not 64 hexadecimal digits: nothing may be installed
    // The chunk store's latest.json; when given it replaces game_url's package.
    std::wstring manifestUrl;
    unsigned connections = kDefaultConnections;
    std::string publisherKey;     // base64 of the DER SubjectPublicKeyInfo; "" when not given
    // manifest_url, connections or publisher_key given, but not usable:
    // nothing may be installed.
    bool storeKeyMalformed = false;
};

// Relative to the executable's folder.
extern const wchar_t kGameConfigFile[];

// Reads the configuration file into `config`. A missing key, or one of
// another type, leaves its field as it was; failures are logged on behalf of
// DownloadInstallManager::InitConfig and never thrown. False when there is
// no configuration to speak of: no file, no JSON, or no GameInfo object.
bool ReadGameConfig(const std::wstring& path, GameConfig& config);
