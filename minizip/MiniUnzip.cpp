#define MINIZIP_BUILDING_DLL
#include "MiniUnzip.h"

#include "ZipExtractor.h"
#include "ZipPlatform.h"

#include <string>

static_assert(MINI_UNZIP_OUT_OF_MEMORY == static_cast<int>(ZipResult::OutOfMemory) &&
                  MINI_UNZIP_UNSAFE_NAME == static_cast<int>(ZipResult::UnsafeName) &&
                  MINI_UNZIP_CRC_MISMATCH == static_cast<int>(ZipResult::CrcMismatch),
              "the DLL's codes are the reader's results");

namespace {

bool AnsiPathToWide(const char* text, std::wstring& out) {
    out.clear();
    if (text == nullptr || *text == '\0') {
        return false;
    }
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (units <= 1) {
        return false;
    }
    out.resize(static_cast<size_t>(units));
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, &out[0], units) != units) {
        return false;
    }
    out.resize(static_cast<size_t>(units - 1));
    return true;
}

}  // namespace

extern "C" int __cdecl mini_unzip_dll(const char* archive, const char* folder) {
    try {
        std::wstring archivePath;
        std::wstring folderPath;
        if (!AnsiPathToWide(archive, archivePath) || !AnsiPathToWide(folder, folderPath)) {
            return MINI_UNZIP_BAD_ARGUMENT;
        }
        return static_cast<int>(ExtractArchive(archivePath, folderPath));
    } catch (...) {
        return MINI_UNZIP_OUT_OF_MEMORY;
    }
}
