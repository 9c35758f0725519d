#include "GameFolderScan.h"

#include "StorePath.h"

#include <algorithm>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace korvapack {
namespace {

std::string ManifestPath(const fs::path& root, const fs::path& item) {
    return item.lexically_relative(root).generic_u8string();
}

bool Refuse(std::string& error, const std::string& path, const std::string& reason) {
    error = "cannot pack '" + path + "': " + reason;
    return false;
}

bool CheckCaseApart(const std::vector<GameItem>& items, std::string& error) {
    std::map<std::string, const GameItem*> byFolded;
    for (const GameItem& item : items) {
        auto seen = byFolded.emplace(chunkstore::FoldPathCase(item.path), &item);
        if (!seen.second) {
            return Refuse(error, item.path, "it differs only in case from '" + seen.first->second->path +
                                                "', and Windows would make the two one file");
        }
    }
    // Only case can make a file the folder of another path.
    for (const auto& [folded, item] : byFolded) {
        for (size_t slash = folded.find('/'); slash != std::string::npos; slash = folded.find('/', slash + 1)) {
            auto parent = byFolded.find(folded.substr(0, slash));
            if (parent != byFolded.end() && !parent->second->folder) {
                return Refuse(error, item->path, "Windows would open the file '" + parent->second->path +
                                                     "' as its folder");
            }
        }
    }
    return true;
}

}  // namespace

std::string PathText(const fs::path& path) { return path.u8string(); }

bool ScanGameFolder(const fs::path& root, std::vector<GameItem>& items, std::string& error) {
    std::error_code code;
    if (!fs::is_directory(root, code)) {
        error = "'" + PathText(root) + "' is not a folder";
        return false;
    }
    std::vector<GameItem> found;
    fs::recursive_directory_iterator it(root, code);
    for (; !code && it != fs::recursive_directory_iterator(); it.increment(code)) {
        const fs::directory_entry& entry = *it;
        std::string path = ManifestPath(root, entry.path());
        chunkstore::StoreError pathError = chunkstore::CheckStorePath(path);
        if (pathError != chunkstore::StoreError::Ok) {
            return Refuse(error, path, chunkstore::StoreErrorText(pathError));
        }
        fs::file_status status = entry.symlink_status(code);
        if (code) break;
        if (fs::is_symlink(status)) {
            return Refuse(error, path, "links are not packed; put the file itself there");
        }
        if (fs::is_directory(status)) {
            if (fs::is_empty(entry.path(), code)) found.push_back({path, entry.path(), 0, true});
        } else if (fs::is_regular_file(status)) {
            uint64_t size = entry.file_size(code);
            found.push_back({path, entry.path(), size, false});
        } else {
            return Refuse(error, path, "not a regular file or folder");
        }
        if (code) break;
    }
    if (code) {
        error = "cannot read the game folder '" + PathText(root) + "': " + code.message();
        return false;
    }
    std::sort(found.begin(), found.end(), [](const GameItem& a, const GameItem& b) { return a.path < b.path; });
    if (!CheckCaseApart(found, error)) {
        return false;
    }
    items = std::move(found);
    return true;
}

}  // namespace korvapack
