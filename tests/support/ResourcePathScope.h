#pragma once
#include <string>
#include <utility>
#include <vector>

// The framework's resource path, set for the scope's life and cleared after.
class ResourcePathScope {
public:
    using Files = std::vector<std::pair<std::wstring, std::wstring>>;  // name, text

    explicit ResourcePathScope(const std::wstring& path);
    // A fresh folder below the run's temporary one, holding the files in UTF-8.
    ResourcePathScope(const std::wstring& folderName, const Files& files);
    ~ResourcePathScope();
    ResourcePathScope(const ResourcePathScope&) = delete;
    ResourcePathScope& operator=(const ResourcePathScope&) = delete;

    // Ends in a backslash when made from files.
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};
