#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace korvapack {

// A file or an empty folder of the game, under its manifest path.
struct GameItem {
    std::string path;  // UTF-8, '/' between components
    std::filesystem::path source;
    uint64_t size = 0;
    bool folder = false;
};

// Lists the files and empty folders under `root`, sorted by path bytes.
// False, with a message naming the path, for what a launcher could not
// install faithfully: names the store refuses, names that differ only in
// case, links and special files.
bool ScanGameFolder(const std::filesystem::path& root, std::vector<GameItem>& items, std::string& error);

// `path` as UTF-8 for messages, whatever the platform's path encoding.
std::string PathText(const std::filesystem::path& path);

}  // namespace korvapack
