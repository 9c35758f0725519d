#include "UiFileReader.h"

#include "UiPlatform.h"
#include "UiResourceLocation.h"
#include "UiScopedHandles.h"
#include "ZipArchive.h"

#include <memory>
#include <string>

namespace Orvel {

namespace {

// An archive opened for one read is closed on every way out of it.
class ScopedZipArchive {
public:
    ScopedZipArchive() = default;
    ~ScopedZipArchive() {
        if (archive_) {
            archive_->Close();
        }
    }
    ScopedZipArchive(const ScopedZipArchive&) = delete;
    ScopedZipArchive& operator=(const ScopedZipArchive&) = delete;

    ZipArchive* Open(const std::wstring& path) {
        archive_.reset(new ZipArchive());
        if (!archive_->Open(path)) {
            archive_.reset();
        }
        return archive_.get();
    }

private:
    std::unique_ptr<ZipArchive> archive_;  // owned
};

std::string Narrow(const wchar_t* text, UINT codePage) {
    int bytes = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return std::string();
    }
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, &result[0], bytes, nullptr, nullptr);
    result.resize(static_cast<size_t>(bytes) - 1);
    return result;
}

// Entry names are UTF-8 in archives that flag them so and the ANSI code
// page in those written by older Windows tools; both are tried.
int FindEntry(const ZipArchive& archive, const wchar_t* name) {
    int index = archive.FindEntry(Narrow(name, CP_UTF8), true);
    if (index < 0) {
        std::string ansi = Narrow(name, CP_ACP);
        if (!ansi.empty() && ansi != Narrow(name, CP_UTF8)) {
            index = archive.FindEntry(ansi, true);
        }
    }
    return index;
}

UiReadResult Fail(std::vector<unsigned char>& bytes, UiReadResult result) {
    bytes.clear();
    return result;
}

}  // namespace

UiReadResult ReadFileBytes(const wchar_t* path, size_t maxBytes, std::vector<unsigned char>& bytes) {
    bytes.clear();
    if (path == nullptr || *path == L'\0') {
        return UiReadResult::OpenFailed;
    }
    try {
        ScopedFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size = {};
        if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size)) {
            return UiReadResult::OpenFailed;
        }
        if (size.QuadPart == 0) {
            return UiReadResult::Empty;
        }
        if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
            return UiReadResult::TooLarge;
        }
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t total = 0;
        while (total < bytes.size()) {
            DWORD read = 0;
            if (!ReadFile(file.Get(), bytes.data() + total, static_cast<DWORD>(bytes.size() - total), &read,
                          nullptr) ||
                read == 0) {
                break;
            }
            total += read;
        }
        // A file that shrank while it was read is as good as unreadable.
        return total < bytes.size() ? Fail(bytes, UiReadResult::ReadFailed) : UiReadResult::Ok;
    } catch (...) {
        return Fail(bytes, UiReadResult::ReadFailed);
    }
}

UiReadResult ReadSkinZipEntry(const wchar_t* name, size_t maxBytes, std::vector<unsigned char>& bytes) {
    bytes.clear();
    if (name == nullptr) {
        return UiReadResult::NotFound;
    }
    try {
        ScopedZipArchive opened;
        ZipArchive* archive = UiResourceLocation::SharedZip();
        if (archive == nullptr) {
            CUiString path = UiResourceLocation::ResourcePath() + UiResourceLocation::ResourceZip();
            archive = opened.Open(path.Data());
            if (archive == nullptr) {
                return UiReadResult::OpenFailed;
            }
        }
        int index = FindEntry(*archive, name);
        if (index < 0) {
            return UiReadResult::NotFound;
        }
        uint64_t size = archive->UncompressedSize(index);
        if (size == 0) {
            return UiReadResult::Empty;
        }
        if (size > maxBytes) {
            return UiReadResult::TooLarge;
        }
        if (!archive->ExtractToMemory(index, bytes)) {
            return Fail(bytes, UiReadResult::ReadFailed);
        }
        // The archive's own size field is not trusted.
        return bytes.size() > maxBytes ? Fail(bytes, UiReadResult::TooLarge) : UiReadResult::Ok;
    } catch (...) {
        return Fail(bytes, UiReadResult::ReadFailed);
    }
}

UiReadResult ReadSkinFile(const wchar_t* name, size_t maxBytes, std::vector<unsigned char>& bytes) {
    UiReadResult result = UiReadResult::NotFound;
    if (UiResourceLocation::ResourceZip().IsEmpty()) {
        CUiString path = UiResourceLocation::ResourcePath() + name;
        result = ReadFileBytes(path.Data(), maxBytes, bytes);
    } else {
        result = ReadSkinZipEntry(name, maxBytes, bytes);
    }
    if (result != UiReadResult::Ok) {
        result = ReadFileBytes(name, maxBytes, bytes);
    }
    return result;
}

}  // namespace Orvel
