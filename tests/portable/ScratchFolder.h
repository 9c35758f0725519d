#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace testkit {

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes. Relative names are UTF-8.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view relative) const;

private:
    std::filesystem::path path_;
};

// Whole-file helpers; they create missing parent folders.
bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFileBytes(const std::filesystem::path& path);

}  // namespace testkit
