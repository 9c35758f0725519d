#include "StoreFolder.h"

#include "GameFolderScan.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace korvapack {

fs::path StoreFolder::PathOf(std::string_view name) const { return root_ / fs::u8path(name); }

bool StoreFolder::Read(std::string_view name, std::string& bytes, bool& missing) const {
    fs::path path = PathOf(name);
    std::error_code code;
    missing = !fs::exists(path, code);
    if (missing) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    uintmax_t size = fs::file_size(path, code);
    if (!in || code) {
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<uintmax_t>(in.gcount()) == size && in.peek() == std::char_traits<char>::eof();
}

bool StoreFolder::Write(std::string_view name, std::string_view bytes, std::string& error) const {
    fs::path path = PathOf(name);
    fs::path partial = path;
    partial += ".partial";
    std::error_code code;
    fs::create_directories(path.parent_path(), code);
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write '" + PathText(partial) + "'";
            return false;
        }
    }
    fs::rename(partial, path, code);
    if (code) {
        error = "cannot rename '" + PathText(partial) + "': " + code.message();
        return false;
    }
    return true;
}

}  // namespace korvapack
