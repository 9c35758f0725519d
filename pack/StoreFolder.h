#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace korvapack {

// The store's folder on the packing machine, addressed by object names
// (StoreLayout.h). Objects are written under a temporary name and renamed,
// so a reader (or an upload started meanwhile) sees each whole or not at all.
class StoreFolder {
public:
    explicit StoreFolder(std::filesystem::path root) : root_(std::move(root)) {}

    // False when the object does not exist or cannot be read; `missing` tells which.
    bool Read(std::string_view name, std::string& bytes, bool& missing) const;
    bool Write(std::string_view name, std::string_view bytes, std::string& error) const;

    std::filesystem::path PathOf(std::string_view name) const;

private:
    std::filesystem::path root_;
};

}  // namespace korvapack
